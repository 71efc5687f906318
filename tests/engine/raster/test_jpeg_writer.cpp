// The JPEG writer, read back with libjpeg's decompressor.
#include "write_jpeg.h"

#include "tk_except.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <jpeglib.h>

namespace {

struct decoded {
    bool ok = false;
    std::string error;
    int width = 0, height = 0, components = 0;
    J_COLOR_SPACE colorspace = JCS_UNKNOWN;
    bool progressive = false, arithmetic = false, jfif = false;
    unsigned restart_interval = 0;
    int luma_h = 0, luma_v = 0;
    bool all_quant_ones = false;
    int quant_tables = 0;
    bool comment_or_exif = false;
    unsigned scanlines = 0;
    std::vector<unsigned char> rgb;
};

struct decode_error {
    jpeg_error_mgr pub;
    std::jmp_buf back;
};

void decode_exit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<decode_error*>(cinfo->err)->back, 1);
}

struct decode_job {
    jpeg_decompress_struct cinfo;
    decode_error err;
};

bool decode_into(decode_job& job, const std::vector<unsigned char>& jpeg, decoded& d)
{
    job.cinfo.err = jpeg_std_error(&job.err.pub);
    job.err.pub.error_exit = decode_exit;
    if (setjmp(job.err.back)) {
        jpeg_destroy_decompress(&job.cinfo);
        return false;
    }
    jpeg_create_decompress(&job.cinfo);
    jpeg_save_markers(&job.cinfo, JPEG_COM, 0xFFFF);
    jpeg_save_markers(&job.cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_mem_src(&job.cinfo, jpeg.data(), jpeg.size());
    jpeg_read_header(&job.cinfo, TRUE);
    jpeg_decompress_struct& c = job.cinfo;
    d.colorspace = c.jpeg_color_space;
    d.components = c.num_components;
    d.progressive = c.progressive_mode;
    d.arithmetic = c.arith_code;
    d.jfif = c.saw_JFIF_marker;
    d.restart_interval = c.restart_interval;
    d.luma_h = c.comp_info[0].h_samp_factor;
    d.luma_v = c.comp_info[0].v_samp_factor;
    d.comment_or_exif = c.marker_list != nullptr;
    d.all_quant_ones = true;
    for (int t = 0; t < NUM_QUANT_TBLS; ++t) {
        if (!c.quant_tbl_ptrs[t])
            continue;
        ++d.quant_tables;
        for (int i = 0; i < DCTSIZE2; ++i)
            d.all_quant_ones = d.all_quant_ones && c.quant_tbl_ptrs[t]->quantval[i] == 1;
    }
    c.out_color_space = JCS_RGB;
    jpeg_start_decompress(&c);
    d.width = c.output_width;
    d.height = c.output_height;
    d.rgb.resize(static_cast<size_t>(d.width) * d.height * 3);
    while (c.output_scanline < c.output_height) {
        JSAMPROW row = d.rgb.data() + static_cast<size_t>(c.output_scanline) * d.width * 3;
        d.scanlines += jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    return true;
}

decoded decode(const std::vector<unsigned char>& jpeg)
{
    decoded d;
    decode_job job{};
    d.ok = decode_into(job, jpeg, d);
    return d;
}

std::vector<unsigned char> read_all(FILE* f, long from = 0)
{
    std::fseek(f, 0, SEEK_END);
    long end = std::ftell(f);
    std::vector<unsigned char> bytes(static_cast<size_t>(end - from));
    std::fseek(f, from, SEEK_SET);
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    return bytes;
}

std::vector<unsigned char> encode(int w, int h, std::vector<unsigned char> rgb, int maxval = 255)
{
    FILE* f = std::tmpfile();
    EXPECT_NE(f, nullptr);
    EXPECT_EQ(write_jpeg(w, h, maxval, JPEG_FORMAT_RGB, rgb.data(), f), 0);
    std::vector<unsigned char> bytes = read_all(f);
    std::fclose(f);
    return bytes;
}

// The marker codes of the stream's segments up to the first scan.
std::vector<int> markers_before_scan(const std::vector<unsigned char>& j)
{
    std::vector<int> out;
    size_t p = 2;
    while (p + 4 <= j.size() && j[p] == 0xFF) {
        int m = j[p + 1];
        out.push_back(m);
        if (m == 0xDA)
            break;
        p += 2 + (j[p + 2] << 8 | j[p + 3]);
    }
    return out;
}

int count(const std::vector<int>& v, int x)
{
    int n = 0;
    for (int e : v)
        n += e == x;
    return n;
}

TEST(JpegWriter, WhitePixelIsABaselineYCbCrJpegWithUnitQuantisation)
{
    std::vector<unsigned char> j = encode(1, 1, {255, 255, 255});
    ASSERT_GE(j.size(), 4u);
    EXPECT_EQ(j[0], 0xFF);
    EXPECT_EQ(j[1], 0xD8);

    std::vector<int> m = markers_before_scan(j);
    EXPECT_EQ(count(m, 0xC0), 1) << "baseline SOF0";
    for (int sof : {0xC1, 0xC2, 0xC3, 0xC9, 0xCA})
        EXPECT_EQ(count(m, sof), 0) << std::hex << sof;
    EXPECT_EQ(count(m, 0xE0), 1) << "JFIF";
    EXPECT_EQ(count(m, 0xE1), 0) << "EXIF";
    EXPECT_EQ(count(m, 0xFE), 0) << "comment";
    EXPECT_EQ(count(m, 0xDD), 0) << "restart interval";

    decoded d = decode(j);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 1);
    EXPECT_EQ(d.height, 1);
    EXPECT_EQ(d.components, 3);
    EXPECT_EQ(d.colorspace, JCS_YCbCr);
    EXPECT_FALSE(d.progressive);
    EXPECT_FALSE(d.arithmetic);
    EXPECT_TRUE(d.jfif);
    EXPECT_EQ(d.restart_interval, 0u);
    EXPECT_FALSE(d.comment_or_exif);
    EXPECT_EQ(d.quant_tables, 2);
    EXPECT_TRUE(d.all_quant_ones);
    EXPECT_EQ(d.luma_h, 2);
    EXPECT_EQ(d.luma_v, 2);
    for (unsigned char v : d.rgb)
        EXPECT_GE(v, 254);
}

TEST(JpegWriter, RowsAreTopFirstAndSamplesPassThrough)
{
    // Grey rows (no chroma to subsample): each row one level, darkest on top.
    const int w = 37, h = 23;
    std::vector<unsigned char> rgb(w * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; ++x)
            rgb[y * w * 3 + x] = static_cast<unsigned char>(y * 11);
    decoded d = decode(encode(w, h, rgb));
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.width, w);
    ASSERT_EQ(d.height, h);
    for (size_t i = 0; i < rgb.size(); ++i)
        ASSERT_LE(std::abs(int(d.rgb[i]) - int(rgb[i])), 2) << "sample " << i;
}

TEST(JpegWriter, LetterPageAt150Dpi)
{
    const int w = 1275, h = 1650;
    std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3, 255);
    for (size_t i = 0; i < static_cast<size_t>(w) * 3 * 16; ++i)
        rgb[i] = 0; // a black band along the top
    decoded d = decode(encode(w, h, rgb));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, w);
    EXPECT_EQ(d.height, h);
    EXPECT_EQ(d.scanlines, static_cast<unsigned>(h));
    EXPECT_LE(d.rgb[w * 3 * 4], 2);                        // top rows black
    EXPECT_GE(d.rgb[d.rgb.size() - 1], 253);               // bottom rows white
    EXPECT_TRUE(d.all_quant_ones);
}

TEST(JpegWriter, SmallerMaxvalIsRescaled)
{
    decoded d = decode(encode(2, 1, {127, 127, 127, 0, 0, 0}, 127));
    ASSERT_TRUE(d.ok);
    EXPECT_GE(d.rgb[0], 250);
    EXPECT_LE(d.rgb[3], 5);
}

TEST(JpegWriter, WritesFromTheCurrentPositionAndLeavesItAtTheEnd)
{
    FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fputs("head", f);
    std::vector<unsigned char> rgb(8 * 8 * 3, 128);
    ASSERT_EQ(write_jpeg(8, 8, 255, JPEG_FORMAT_RGB, rgb.data(), f), 0);
    long end = std::ftell(f);
    std::vector<unsigned char> all = read_all(f);
    std::fclose(f);
    ASSERT_EQ(static_cast<long>(all.size()), end);
    EXPECT_EQ(std::string(all.begin(), all.begin() + 4), "head");
    EXPECT_EQ(all[4], 0xFF);
    EXPECT_EQ(all[5], 0xD8);
    EXPECT_EQ(all[all.size() - 2], 0xFF);
    EXPECT_EQ(all[all.size() - 1], 0xD9);
    EXPECT_TRUE(decode(std::vector<unsigned char>(all.begin() + 4, all.end())).ok);
}

// Library failures come back as level-1 errors; under the leak checker nothing stays allocated.
TEST(JpegWriterErrors, FullDiskIsALevelOneError)
{
    FILE* f = std::fopen("/dev/full", "wb");
    if (!f)
        GTEST_SKIP() << "no /dev/full";
    std::vector<unsigned char> rgb(64 * 64 * 3, 200);
    try {
        write_jpeg(64, 64, 255, JPEG_FORMAT_RGB, rgb.data(), f);
        ADD_FAILURE() << "no error on a full disk";
    } catch (const tk_exception& e) {
        EXPECT_EQ(e.level, 1);
        EXPECT_NE(e.message.find("write error"), std::string::npos) << e.message;
    }
    std::fclose(f);
    // The writer is usable again afterwards.
    EXPECT_TRUE(decode(encode(2, 2, std::vector<unsigned char>(12, 9))).ok);
}

TEST(JpegWriterErrors, ImpossibleSizesAreLevelOneErrors)
{
    unsigned char pixel[3] = {0, 0, 0};
    for (auto wh : {std::make_pair(70000, 1), std::make_pair(1, 70000), std::make_pair(0, 5),
                    std::make_pair(5, 0), std::make_pair(-3, 5)}) {
        FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        try {
            write_jpeg(wh.first, wh.second, 255, JPEG_FORMAT_RGB, pixel, f);
            ADD_FAILURE() << wh.first << " x " << wh.second << " accepted";
        } catch (const tk_exception& e) {
            EXPECT_EQ(e.level, 1) << wh.first << " x " << wh.second;
            EXPECT_FALSE(e.message.empty());
        }
        std::fclose(f);
    }
}

TEST(JpegWriterErrors, UnknownRowFormatIsInternal)
{
    unsigned char pixel[3] = {0, 0, 0};
    FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    try {
        write_jpeg(1, 1, 255, 0x5035, pixel, f);
        ADD_FAILURE() << "grey format accepted";
    } catch (const tk_exception& e) {
        EXPECT_EQ(e.level, 2);
        EXPECT_EQ(e.message, "INTERNAL ERROR; invalid format in setup_jpeg_source_parameters()");
    }
    EXPECT_EQ(std::ftell(f), 0L);
    std::fclose(f);
}

} // namespace
