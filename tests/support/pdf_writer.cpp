#include "vlx_testsupport.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace vlxtest {

namespace {

std::string num(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    std::string s = buf;
    // trim trailing zeros so "12.0000" reads as "12"
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    if (s == "-0")
        s = "0";
    return s;
}

std::string rgb_ops(const Rgb& c, const char* op)
{
    return num(c.r) + " " + num(c.g) + " " + num(c.b) + " " + op;
}

// A PDF literal string with ( ) \ escaped; other bytes pass through.
std::string literal(const std::string& s)
{
    std::string out = "(";
    for (char ch : s) {
        if (ch == '(' || ch == ')' || ch == '\\')
            out += '\\';
        if (ch == '\r') {
            out += "\\r";
            continue;
        }
        out += ch;
    }
    out += ')';
    return out;
}

bool is_symbolic(const std::string& base_font)
{
    return base_font == "Symbol" || base_font == "ZapfDingbats";
}

}  // namespace

// ---- PdfPage

std::string PdfPage::font(const std::string& base_font)
{
    return "/F" + std::to_string(doc_->font_index(base_font));
}

PdfPage& PdfPage::raw(const std::string& ops)
{
    content_ += ops;
    content_ += '\n';
    return *this;
}

PdfPage& PdfPage::text(double x, double y, const std::string& s,
                       const std::string& base_font, double size, Rgb color)
{
    return raw("BT " + font(base_font) + " " + num(size) + " Tf " + rgb_ops(color, "rg") +
               " " + num(x) + " " + num(y) + " Td " + literal(s) + " Tj ET");
}

PdfPage& PdfPage::cid_text(double x, double y, const std::string& utf8, double size, bool vertical)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string codes = "<";
    for (size_t i = 0; i < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : 3;
        unsigned cp = n == 1 ? b : b & (n == 2 ? 0x1F : 0x0F);
        for (int k = 1; k < n && i + k < utf8.size(); ++k)
            cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += n;
        for (int shift = 12; shift >= 0; shift -= 4)
            codes += hex[(cp >> shift) & 15];
        doc_->cid_codes_.push_back(cp);
    }
    codes += ">";
    return raw(std::string("BT /") + (vertical ? "CV " : "CH ") + num(size) + " Tf " + num(x) + " " + num(y) +
               " Td " + codes + " Tj ET");
}

PdfPage& PdfPage::fill_rect(double x, double y, double w, double h, Rgb color)
{
    return raw("q " + rgb_ops(color, "rg") + " " + num(x) + " " + num(y) + " " + num(w) + " " +
               num(h) + " re f Q");
}

PdfPage& PdfPage::line(double x1, double y1, double x2, double y2, double width, Rgb color,
                       const std::vector<double>& dash)
{
    std::string d = "[";
    for (size_t i = 0; i < dash.size(); ++i)
        d += (i ? " " : "") + num(dash[i]);
    d += "] 0 d";
    return raw("q " + rgb_ops(color, "RG") + " " + num(width) + " w " + d + " " + num(x1) + " " +
               num(y1) + " m " + num(x2) + " " + num(y2) + " l S Q");
}

PdfPage& PdfPage::image(double x, double y, double w, double h, int px_w, int px_h,
                        const std::vector<std::uint8_t>& rgb)
{
    if (px_w <= 0 || px_h <= 0 || rgb.size() != size_t(px_w) * size_t(px_h) * 3)
        throw std::invalid_argument("PdfPage::image: pixel data does not match the size");
    doc_->images_.push_back({px_w, px_h, rgb});
    int index = int(doc_->images_.size());
    images_.push_back(index - 1);
    return raw("q " + num(w) + " 0 0 " + num(h) + " " + num(x) + " " + num(y) + " cm /Im" +
               std::to_string(index) + " Do Q");
}

PdfPage& PdfPage::link(double x1, double y1, double x2, double y2, const std::string& uri)
{
    links_.push_back({x1, y1, x2, y2, uri});
    return *this;
}

PdfPage& PdfPage::crop_box(double x1, double y1, double x2, double y2)
{
    crop_ = {x1, y1, x2, y2};
    return *this;
}

// ---- PdfWriter

int PdfWriter::font_index(const std::string& base_font)
{
    for (size_t i = 0; i < fonts_.size(); ++i)
        if (fonts_[i] == base_font)
            return int(i) + 1;
    fonts_.push_back(base_font);
    return int(fonts_.size());
}

PdfPage& PdfWriter::add_page(double width, double height, int rotate)
{
    pages_.emplace_back(new PdfPage(this, width, height, rotate));
    return *pages_.back();
}

std::string PdfWriter::str() const
{
    // Object numbers: 1 catalog, 2 pages, then fonts, the CID fonts (when used: two Type0
    // fonts, their descendant, its descriptor, the ToUnicode map), images, and per page:
    // page, content, one per link annotation.
    const int first_font = 3;
    const int cid_font = first_font + int(fonts_.size());
    const int first_image = cid_font + (cid_codes_.empty() ? 0 : 5);
    int next = first_image + int(images_.size());
    std::vector<int> page_obj;
    for (const auto& p : pages_) {
        page_obj.push_back(next);
        next += 2 + int(p->links_.size());
    }
    const int count = next;  // objects 1 .. count-1

    std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offset(count, 0);
    auto begin_obj = [&](int n) {
        offset[n] = out.size();
        out += std::to_string(n) + " 0 obj\n";
    };
    auto end_obj = [&] { out += "endobj\n"; };
    auto ref = [](int n) { return std::to_string(n) + " 0 R"; };

    begin_obj(1);
    out += "<< /Type /Catalog /Pages 2 0 R >>\n";
    end_obj();

    begin_obj(2);
    out += "<< /Type /Pages /Kids [";
    for (size_t i = 0; i < page_obj.size(); ++i)
        out += (i ? " " : "") + ref(page_obj[i]);
    out += "] /Count " + std::to_string(pages_.size()) + " >>\n";
    end_obj();

    for (size_t i = 0; i < fonts_.size(); ++i) {
        begin_obj(first_font + int(i));
        out += "<< /Type /Font /Subtype /Type1 /BaseFont /" + fonts_[i];
        if (!is_symbolic(fonts_[i]))
            out += " /Encoding /WinAnsiEncoding";
        out += " >>\n";
        end_obj();
    }

    if (!cid_codes_.empty()) {
        for (int v = 0; v < 2; ++v) {
            begin_obj(cid_font + v);
            out += std::string("<< /Type /Font /Subtype /Type0 /BaseFont /MS-Mincho /Encoding /Identity-") +
                   (v ? "V" : "H") + " /DescendantFonts [" + ref(cid_font + 2) + "] /ToUnicode " +
                   ref(cid_font + 4) + " >>\n";
            end_obj();
        }
        begin_obj(cid_font + 2);
        out += "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /MS-Mincho /CIDSystemInfo << /Registry (Adobe) "
               "/Ordering (Identity) /Supplement 0 >> /FontDescriptor " +
               ref(cid_font + 3) + " /DW 1000 /CIDToGIDMap /Identity >>\n";
        end_obj();
        begin_obj(cid_font + 3);
        out += "<< /Type /FontDescriptor /FontName /MS-Mincho /Flags 6 /FontBBox [0 -141 1000 859] "
               "/ItalicAngle 0 /Ascent 859 /Descent -141 /CapHeight 859 /StemV 80 >>\n";
        end_obj();
        // Code n is U+n.
        std::string map = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                          "/CMapName /Adobe-Identity-UCS def /CMapType 2 def\n"
                          "1 begincodespacerange <0000> <FFFF> endcodespacerange\n";
        for (size_t i = 0; i < cid_codes_.size(); i += 100) {
            size_t n = std::min<size_t>(100, cid_codes_.size() - i);
            map += std::to_string(n) + " beginbfchar\n";
            for (size_t k = i; k < i + n; ++k) {
                char entry[32];
                std::snprintf(entry, sizeof entry, "<%04X> <%04X>\n", cid_codes_[k], cid_codes_[k]);
                map += entry;
            }
            map += "endbfchar\n";
        }
        map += "endcmap CMapName currentdict /CMap defineresource pop end end";
        begin_obj(cid_font + 4);
        out += "<< /Length " + std::to_string(map.size()) + " >>\nstream\n" + map + "\nendstream\n";
        end_obj();
    }

    for (size_t i = 0; i < images_.size(); ++i) {
        const Image& im = images_[i];
        begin_obj(first_image + int(i));
        out += "<< /Type /XObject /Subtype /Image /Width " + std::to_string(im.w) + " /Height " +
               std::to_string(im.h) + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Length " +
               std::to_string(im.rgb.size()) + " >>\nstream\n";
        out.append(reinterpret_cast<const char*>(im.rgb.data()), im.rgb.size());
        out += "\nendstream\n";
        end_obj();
    }

    std::string resources = "<< /ProcSet [/PDF /Text /ImageC]";
    if (!fonts_.empty() || !cid_codes_.empty()) {
        resources += " /Font <<";
        for (size_t i = 0; i < fonts_.size(); ++i)
            resources += " /F" + std::to_string(i + 1) + " " + ref(first_font + int(i));
        if (!cid_codes_.empty())
            resources += " /CH " + ref(cid_font) + " /CV " + ref(cid_font + 1);
        resources += " >>";
    }
    if (!images_.empty()) {
        resources += " /XObject <<";
        for (size_t i = 0; i < images_.size(); ++i)
            resources += " /Im" + std::to_string(i + 1) + " " + ref(first_image + int(i));
        resources += " >>";
    }
    resources += " >>";

    for (size_t i = 0; i < pages_.size(); ++i) {
        const PdfPage& p = *pages_[i];
        const int obj = page_obj[i];
        begin_obj(obj);
        out += "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + num(p.width_) + " " +
               num(p.height_) + "]";
        if (!p.crop_.empty())
            out += " /CropBox [" + num(p.crop_[0]) + " " + num(p.crop_[1]) + " " + num(p.crop_[2]) + " " +
                   num(p.crop_[3]) + "]";
        if (p.rotate_ != 0)
            out += " /Rotate " + std::to_string(p.rotate_);
        out += " /Resources " + resources + " /Contents " + ref(obj + 1);
        if (!p.links_.empty()) {
            out += " /Annots [";
            for (size_t k = 0; k < p.links_.size(); ++k)
                out += (k ? " " : "") + ref(obj + 2 + int(k));
            out += "]";
        }
        out += " >>\n";
        end_obj();

        begin_obj(obj + 1);
        out += "<< /Length " + std::to_string(p.content_.size()) + " >>\nstream\n" + p.content_ +
               "\nendstream\n";
        end_obj();

        for (size_t k = 0; k < p.links_.size(); ++k) {
            const auto& l = p.links_[k];
            begin_obj(obj + 2 + int(k));
            out += "<< /Type /Annot /Subtype /Link /Rect [" + num(l.x1) + " " + num(l.y1) + " " +
                   num(l.x2) + " " + num(l.y2) + "] /Border [0 0 0]";
            if (!l.uri.empty())
                out += " /A << /S /URI /URI " + literal(l.uri) + " >>";
            out += " >>\n";
            end_obj();
        }
    }

    const size_t xref = out.size();
    out += "xref\n0 " + std::to_string(count) + "\n0000000000 65535 f \n";
    for (int n = 1; n < count; ++n) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset[n]);
        out += entry;
    }
    out += "trailer\n<< /Size " + std::to_string(count) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return out;
}

void PdfWriter::save(const std::string& path) const
{
    const std::string bytes = str();
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    f.close();
    if (!f)
        throw std::runtime_error("PdfWriter::save: cannot write " + path);
}

}  // namespace vlxtest
