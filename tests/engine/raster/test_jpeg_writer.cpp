// The JPEG writer, read back with libjpeg's decompressor.
#include "write_jpeg.h"

#include "tk_except.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>
#include <jpeglib.h>

namespace {

using bytes = std::vector<unsigned char>;

struct decoded {
    bool ok = false, all_quant_ones = true;
    int width = 0, height = 0, scanlines = 0, quant_tables = 0;
    J_COLOR_SPACE colorspace = JCS_UNKNOWN;
    bytes rgb;
    // What the header says of the encoding, as "name=value" items.
    std::string coding, sampling, jfif, markers;
    bool standard_huffman = true;
};

// The Huffman tables the library starts from (those of the JPEG standard's annex K).
bool same_huffman(const JHUFF_TBL* got, JHUFF_TBL* const* standard, int slot)
{
    if (slot > 1)
        return got == nullptr;
    const JHUFF_TBL* want = standard[slot];
    return got && std::equal(got->bits, got->bits + 17, want->bits) &&
           std::equal(got->huffval, got->huffval + 256, want->huffval);
}

struct jump_error : jpeg_error_mgr {
    std::jmp_buf back;
};

decoded decode(const bytes& jpeg)
{
    decoded d;
    jpeg_decompress_struct c{};
    jump_error err;
    c.err = jpeg_std_error(&err);
    err.error_exit = [](j_common_ptr ci) { std::longjmp(static_cast<jump_error*>(ci->err)->back, 1); };
    if (setjmp(err.back)) {
        jpeg_destroy_decompress(&c);
        return d;
    }
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, jpeg.data(), jpeg.size());
    jpeg_save_markers(&c, JPEG_COM, 0xFFFF);
    for (int app = 1; app < 16; ++app)
        jpeg_save_markers(&c, JPEG_APP0 + app, 0xFFFF);
    jpeg_read_header(&c, TRUE);
    d.colorspace = c.jpeg_color_space;
    d.coding = "progressive=" + std::to_string(c.progressive_mode) + " arithmetic=" + std::to_string(c.arith_code) +
               " precision=" + std::to_string(c.data_precision) + " restart=" + std::to_string(c.restart_interval);
    for (int i = 0; i < c.num_components; ++i)
        d.sampling += std::to_string(c.comp_info[i].h_samp_factor) + "x" + std::to_string(c.comp_info[i].v_samp_factor) +
                      " q" + std::to_string(c.comp_info[i].quant_tbl_no) + " ";
    d.jfif = c.saw_JFIF_marker ? "JFIF " + std::to_string(c.JFIF_major_version) + "." +
                                     std::to_string(c.JFIF_minor_version) + " unit=" + std::to_string(c.density_unit) +
                                     " " + std::to_string(c.X_density) + "x" + std::to_string(c.Y_density)
                               : "none";
    d.jfif += c.saw_Adobe_marker ? " Adobe" : "";
    for (jpeg_saved_marker_ptr m = c.marker_list; m; m = m->next)
        d.markers += std::to_string(m->marker) + " ";
    {
        jpeg_compress_struct ref{};
        jpeg_error_mgr ref_err;
        ref.err = jpeg_std_error(&ref_err);
        jpeg_create_compress(&ref);
        ref.in_color_space = JCS_RGB;
        ref.input_components = 3;
        jpeg_set_defaults(&ref);
        for (int slot = 0; slot < NUM_HUFF_TBLS; ++slot)
            d.standard_huffman = d.standard_huffman && same_huffman(c.dc_huff_tbl_ptrs[slot], ref.dc_huff_tbl_ptrs, slot) &&
                                 same_huffman(c.ac_huff_tbl_ptrs[slot], ref.ac_huff_tbl_ptrs, slot);
        jpeg_destroy_compress(&ref);
    }
    for (JQUANT_TBL* q : c.quant_tbl_ptrs)
        if (q && ++d.quant_tables)
            for (UINT16 v : q->quantval)
                d.all_quant_ones = d.all_quant_ones && v == 1;
    c.out_color_space = JCS_RGB;
    jpeg_start_decompress(&c);
    d.width = c.output_width;
    d.height = c.output_height;
    d.rgb.resize(size_t(d.width) * d.height * 3);
    while (c.output_scanline < c.output_height) {
        JSAMPROW row = d.rgb.data() + size_t(c.output_scanline) * d.width * 3;
        d.scanlines += jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    d.ok = true;
    return d;
}

// A fresh read-write file without a name, in the temporary folder (std::tmpfile ignores TMPDIR).
FILE* scratch_file()
{
    const std::string path = vlxtest::temp_path(".jpg");
    FILE* f = std::fopen(path.c_str(), "w+b");
    std::remove(path.c_str());
    return f;
}

// Everything written to a fresh file, which starts with prefix.
bytes encode(int w, int h, bytes rgb, int maxval = 255, const std::string& prefix = "", int format = JPEG_FORMAT_RGB)
{
    FILE* f = scratch_file();
    std::fputs(prefix.c_str(), f);
    EXPECT_EQ(write_jpeg(w, h, maxval, format, rgb.data(), f), 0);
    bytes out(size_t(std::ftell(f))); // the writer leaves the position at the end
    std::rewind(f);
    EXPECT_EQ(std::fread(out.data(), 1, out.size(), f), out.size());
    EXPECT_EQ(std::fgetc(f), EOF);
    std::fclose(f);
    return out;
}

// Every parameter the writer sets: sequential Huffman coding with the standard tables, no restart
// markers, 2x2 luminance sampling, JFIF 1.01 without density, no comment or EXIF marker.
void expect_writer_parameters(const decoded& d)
{
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.colorspace, JCS_YCbCr);
    EXPECT_EQ(d.coding, "progressive=0 arithmetic=0 precision=8 restart=0");
    EXPECT_TRUE(d.standard_huffman) << "optimised or other Huffman tables";
    EXPECT_EQ(d.sampling, "2x2 q0 1x1 q1 1x1 q1 ");
    EXPECT_EQ(d.quant_tables, 2);
    EXPECT_TRUE(d.all_quant_ones) << "quality 100";
    EXPECT_EQ(d.jfif, "JFIF 1.1 unit=0 1x1");
    EXPECT_EQ(d.markers, "");
}

TEST(JpegWriter, LetterPageIsABaselineYCbCrJpegWithUnitQuantisation)
{
    // Grey rows (no chroma to subsample), one level each, darkest on top.
    const int w = 1275, h = 1650;
    bytes rgb(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        std::fill_n(rgb.begin() + size_t(y) * w * 3, w * 3, static_cast<unsigned char>(y % 256));
    const bytes j = encode(w, h, rgb, 255, "head");
    EXPECT_EQ(std::string(j.begin(), j.begin() + 6), "head\xFF\xD8");
    EXPECT_EQ(j[6] << 8 | j[7], 0xFFE0); // JFIF
    EXPECT_NE(std::string(j.begin(), j.end()).find("\xFF\xC0"), std::string::npos) << "baseline SOF0";
    EXPECT_EQ(j[j.size() - 2] << 8 | j.back(), 0xFFD9);
    const decoded d = decode(bytes(j.begin() + 4, j.end()));
    expect_writer_parameters(d);
    EXPECT_EQ(d.width, w);
    EXPECT_EQ(d.scanlines, h);
    for (size_t i = 0; i < rgb.size(); i += 97)
        ASSERT_LE(std::abs(int(d.rgb[i]) - int(rgb[i])), 1) << "sample " << i;
    expect_writer_parameters(decode(encode(1, 1, {255, 255, 255})));
    const decoded rescaled = decode(encode(2, 1, {127, 127, 127, 0, 0, 0}, 127)); // maxval 127
    EXPECT_GE(rescaled.rgb[0], 250);
    EXPECT_LE(rescaled.rgb[3], 5);
}

// Failures come back as exceptions instead of ending the process; nothing stays allocated.
TEST(JpegWriter, FailuresAreExceptions)
{
    auto failure = [](int w, int h, int format, FILE* f) {
        bytes rgb(64 * 64 * 3, 200);
        try {
            write_jpeg(w, h, 255, format, rgb.data(), f);
        } catch (const tk_exception& e) {
            return std::to_string(e.level) + " " + e.message;
        }
        return std::string("none");
    };
    for (auto wh : {std::make_pair(70000, 1), {1, 70000}, {0, 5}, {5, 0}, {-3, 5}}) {
        FILE* f = scratch_file();
        EXPECT_EQ(failure(wh.first, wh.second, JPEG_FORMAT_RGB, f).substr(0, 2), "1 ") << wh.first << " x " << wh.second;
        std::fclose(f);
    }
    FILE* f = scratch_file();
    EXPECT_EQ(failure(1, 1, 0x5035, f), "2 INTERNAL ERROR; invalid format in setup_jpeg_source_parameters()");
    EXPECT_EQ(std::ftell(f), 0L);
    std::fclose(f);
    // A stream every write of which fails as on a full disk.
    cookie_io_functions_t no_space{};
    no_space.write = [](void*, const char*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    FILE* full = fopencookie(nullptr, "wb", no_space);
    ASSERT_NE(full, nullptr);
    const std::string e = failure(64, 64, JPEG_FORMAT_RGB, full);
    EXPECT_EQ(e.substr(0, 2), "1 ");
    EXPECT_NE(e.find("write error"), std::string::npos) << e;
    std::fclose(full);
    EXPECT_TRUE(decode(encode(2, 2, bytes(12, 9))).ok); // usable again afterwards
}

} // namespace
