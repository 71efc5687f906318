#include "raster_fixture.h"

#include <goo/GooString.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace rastertest {

namespace {

class PopplerEnv : public ::testing::Environment {
public:
    void SetUp() override { globalParams = std::make_unique<GlobalParams>(); }
    void TearDown() override { globalParams.reset(); }
};

const auto* const env = ::testing::AddGlobalTestEnvironment(new PopplerEnv);

std::string n4(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
}

} // namespace

std::string dump(const pdf_uline_processor& p)
{
    std::string s;
    for (const uline_rect& l : p.lines)
        s += "{" + std::to_string(l.xMin) + "," + std::to_string(l.xMax) + "," + std::to_string(l.yMin) + "," + std::to_string(l.yMax) + "} ";
    return s;
}

std::string re(double x0, double y0, double x1, double y1)
{
    return n4(X(x0)) + " " + n4(Y(y1)) + " " + n4((x1 - x0) * PT) + " " + n4((y1 - y0) * PT) + " re";
}

Rendered::Rendered(const std::string& pdf_path, bool tables_mode)
{
    render(pdf_path, tables_mode);
}

Rendered::Rendered(vlxtest::PdfWriter& w, bool tables_mode) : temp_(vlxtest::write_temp_pdf(w))
{
    render(temp_, tables_mode);
}

void Rendered::render(const std::string& path, bool tables_mode)
{
    doc_ = std::make_unique<PDFDoc>(std::make_unique<GooString>(path));
    ASSERT_TRUE(doc_->isOk());
    proc_ = std::make_unique<pdf_uline_processor>(tables_mode);
    dev_ = std::make_unique<RasterOutputDev>();
    dev_->startDoc(doc_.get());
    doc_->displayPage(dev_.get(), 1, 150, 150, 0, false, true, false, nullptr, nullptr, raster_annot_not_link, nullptr);
    ASSERT_EQ(dev_->getBitmap()->getWidth(), 1275);
    ASSERT_EQ(dev_->getBitmap()->getHeight(), 1650);
}

Rendered::~Rendered()
{
    dev_.reset();
    proc_.reset();
    doc_.reset();
    if (!temp_.empty())
        std::remove(temp_.c_str());
}

const unsigned char* Rendered::px(int x, int y)
{
    SplashBitmap* b = dev_->getBitmap();
    return b->getDataPtr() + static_cast<std::ptrdiff_t>(y) * b->getRowSize() + 3 * x;
}

bool Rendered::dark(int x, int y)
{
    const unsigned char* p = px(x, y);
    return p[0] < 128 && p[1] < 128 && p[2] < 128;
}

bool Rendered::white(int x, int y)
{
    const unsigned char* p = px(x, y);
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
}

int Rendered::dark_in(int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            n += dark(x, y);
    return n;
}

bool Rendered::has_line(double xMin, double xMax, double yMin, double yMax)
{
    for (const uline_rect& l : proc_->lines)
        if (l.xMin == xMin && l.xMax == xMax && l.yMin == yMin && l.yMax == yMax)
            return true;
    return false;
}

} // namespace rastertest
