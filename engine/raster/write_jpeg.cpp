#include "write_jpeg.h"

#include "tk_except.h"
#include "tk_log.h"

#include <csetjmp>
#include <cstddef>
#include <cstring>
#include <jpeglib.h>

namespace {

const char* const UNIT = "../PDFR/write_jpeg";

// Fixed compression options: quality 100 with force_baseline off makes every quantisation
// value 1; no restart markers, no optimised Huffman tables, no comment or EXIF markers.
const int QUALITY = 100;

// libjpeg's default error_exit ends the process. Ours records the message and jumps back to
// the writer: nothing may be thrown through the library's C frames.
struct error_mgr {
    jpeg_error_mgr pub;
    std::jmp_buf back;
    char text[JMSG_LENGTH_MAX];
};

void on_error(j_common_ptr cinfo)
{
    error_mgr* err = reinterpret_cast<error_mgr*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->text);
    std::longjmp(err->back, 1);
}

// Everything the library touches lives here, in the caller's frame, so that its state is
// well defined after the long jump.
struct jpeg_job {
    jpeg_compress_struct cinfo;
    error_mgr err;
};

// False when the library failed; the compressor is then destroyed and job.err.text says why.
// Only trivially destructible objects may live in this frame (longjmp skips destructors).
bool compress(jpeg_job& job, int width, int height, int maxval, unsigned char* rows, FILE* out)
{
    std::memset(&job.cinfo, 0, sizeof job.cinfo);
    job.cinfo.err = jpeg_std_error(&job.err.pub);
    job.err.pub.error_exit = on_error;
    job.err.pub.trace_level = 0;
    job.err.text[0] = '\0';
    if (setjmp(job.err.back)) {
        jpeg_destroy_compress(&job.cinfo);
        return false;
    }

    jpeg_compress_struct& cinfo = job.cinfo;
    jpeg_create_compress(&cinfo);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    cinfo.arith_code = FALSE;
    cinfo.data_precision = 8;
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.err->trace_level = 0;
    jpeg_default_colorspace(&cinfo); // RGB in, YCbCr out
    cinfo.optimize_coding = FALSE;
    jpeg_set_quality(&cinfo, QUALITY, FALSE);
    jpeg_stdio_dest(&cinfo, out);
    jpeg_start_compress(&cinfo, TRUE);

    // Past start_compress the dimensions are known to be valid.
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    JSAMPLE* rescale = nullptr;
    JSAMPARRAY scaled = nullptr;
    if (maxval != MAXJSAMPLE) {
        rescale = static_cast<JSAMPLE*>((*cinfo.mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, static_cast<std::size_t>(maxval) + 1));
        const unsigned half = static_cast<unsigned>(maxval) / 2;
        for (unsigned i = 0; i <= static_cast<unsigned>(maxval); ++i)
            rescale[i] = static_cast<JSAMPLE>((half + i * MAXJSAMPLE) / static_cast<unsigned>(maxval));
        scaled = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                            static_cast<JDIMENSION>(stride), 1);
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = rows + cinfo.next_scanline * stride;
        if (rescale) {
            for (std::size_t i = 0; i < stride; ++i)
                scaled[0][i] = rescale[row[i] <= maxval ? row[i] : maxval];
            row = scaled[0];
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

int write_jpeg(int width, int height, int maxval, int format, unsigned char* rows, FILE* out)
{
    tk_log(1, "write_jpeg(%d, %d, %d, %d)", width, height, maxval, format);
    tk_assert(out != nullptr && rows != nullptr, UNIT, 97);
    if (format != JPEG_FORMAT_RGB)
        throw tk_exception("INTERNAL ERROR; invalid format in setup_jpeg_source_parameters()", 2);
    if (maxval < 1 || maxval > MAXJSAMPLE)
        throw tk_exception("can't happen", 2);

    jpeg_job job;
    if (!compress(job, width, height, maxval, rows, out)) {
        throw tk_exception(job.err.text, 1);
    }
    return 0;
}
