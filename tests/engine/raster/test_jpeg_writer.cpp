// The JPEG writer, read back with libjpeg's decompressor.
#include "write_jpeg.h"

#include "tk_except.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>
#include <jpeglib.h>

namespace {

using bytes = std::vector<unsigned char>;

struct decoded {
    bool ok = false, all_quant_ones = true;
    int width = 0, height = 0, scanlines = 0, quant_tables = 0, luma_h = 0, luma_v = 0;
    J_COLOR_SPACE colorspace = JCS_UNKNOWN;
    bytes rgb;
};

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
    jpeg_read_header(&c, TRUE);
    d.colorspace = c.jpeg_color_space;
    d.luma_h = c.comp_info[0].h_samp_factor;
    d.luma_v = c.comp_info[0].v_samp_factor;
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

// Everything written to a fresh file, which starts with prefix.
bytes encode(int w, int h, bytes rgb, int maxval = 255, const std::string& prefix = "", int format = JPEG_FORMAT_RGB)
{
    FILE* f = std::tmpfile();
    std::fputs(prefix.c_str(), f);
    EXPECT_EQ(write_jpeg(w, h, maxval, format, rgb.data(), f), 0);
    bytes out(size_t(std::ftell(f))); // the writer leaves the position at the end
    std::rewind(f);
    EXPECT_EQ(std::fread(out.data(), 1, out.size(), f), out.size());
    EXPECT_EQ(std::fgetc(f), EOF);
    std::fclose(f);
    return out;
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
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.colorspace, JCS_YCbCr);
    EXPECT_EQ(d.quant_tables, 2);
    EXPECT_TRUE(d.all_quant_ones);
    EXPECT_EQ(d.luma_h * 10 + d.luma_v, 22);
    EXPECT_EQ(d.width, w);
    EXPECT_EQ(d.scanlines, h);
    for (size_t i = 0; i < rgb.size(); i += 97)
        ASSERT_LE(std::abs(int(d.rgb[i]) - int(rgb[i])), 1) << "sample " << i;
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
        FILE* f = std::tmpfile();
        EXPECT_EQ(failure(wh.first, wh.second, JPEG_FORMAT_RGB, f).substr(0, 2), "1 ") << wh.first << " x " << wh.second;
        std::fclose(f);
    }
    FILE* f = std::tmpfile();
    EXPECT_EQ(failure(1, 1, 0x5035, f), "2 INTERNAL ERROR; invalid format in setup_jpeg_source_parameters()");
    EXPECT_EQ(std::ftell(f), 0L);
    std::fclose(f);
    if (FILE* full = std::fopen("/dev/full", "wb")) {
        const std::string e = failure(64, 64, JPEG_FORMAT_RGB, full);
        EXPECT_EQ(e.substr(0, 2), "1 ");
        EXPECT_NE(e.find("write error"), std::string::npos) << e;
        std::fclose(full);
    }
    EXPECT_TRUE(decode(encode(2, 2, bytes(12, 9))).ok); // usable again afterwards
}

} // namespace
