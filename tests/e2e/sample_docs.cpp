#include "e2e.h"

#include <cstdint>

namespace e2e {

const char* const REPORT_URI = "http://example.com/report";
const char* const MOVED_URI = "http://example.com/moved";

namespace {

const vlxtest::Rgb BLACK{0, 0, 0}, BLUE{0, 0, 1}, RED{1, 0, 0};

std::vector<std::uint8_t> gradient(int w, int h)
{
    std::vector<std::uint8_t> px;
    for (int i = 0; i < w * h; ++i)
        px.insert(px.end(), {std::uint8_t(i % w * 255 / (w - 1)), std::uint8_t(i / w * 255 / (h - 1)), 128});
    return px;
}

const char* const REPORT_BODY[] = {
    "Revenue grew steadily during the third quarter",
    "while operating costs stayed below the forecast",
    "and cash reserves reached a comfortable level",
};

const char* const NUMBERS[] = {"one", "two", "three", "four", "five", "six", "seven", "eight"};

const char* const TABLE[5][4] = {{"Item", "Colour", "Size", "Price"}, {"Apple", "Red", "Small", "10"},
                                  {"Banana", "Yellow", "Long", "20"}, {"Cherry", "Crimson", "Tiny", "30"},
                                  {"Damson", "Purple", "Round", "40"}};

} // namespace

void make_report(vlxtest::PdfWriter& w)
{
    vlxtest::PdfPage& p1 = w.add_page(612, 792);
    p1.text(72, 720, "Quarterly Report", "Helvetica-Bold", 20);
    p1.text(72, 692, "Prepared by the finance team", "Times-Italic", 14);
    double y = 664;
    for (const char* line : REPORT_BODY) {
        p1.text(72, y, line, "Times-Roman", 12);
        y -= 14;
    }
    // "Important" spans about 72..119 at 12 pt; the bar's middle lies 1 pt under the baseline.
    p1.text(72, 606, "Important", "Times-Roman", 12, BLUE);
    p1.fill_rect(70, 604.6, 52, 0.8, BLUE);
    p1.text(124, 606, "notice about dividends", "Times-Roman", 12);
    p1.text(72, 580, "printf hello world", "Courier", 10);
    p1.text(72, 556, "Website", "Helvetica", 12);
    p1.link(70, 551, 117, 568, REPORT_URI);
    p1.text(119, 556, "lists every figure", "Helvetica", 12);
    p1.text(72, 532, "Warning about late payments", "Helvetica", 12, RED);
    p1.text(72, 508, "Footnote without any action", "Helvetica", 12);
    p1.link(70, 503, 300, 520, ""); // no action at all
    p1.image(360, 560, 180, 120, 48, 32, gradient(48, 32));

    vlxtest::PdfPage& p2 = w.add_page(612, 792);
    p2.text(72, 720, "Second section heading", "Helvetica-Bold", 16);
    p2.text(72, 690, "The second page continues the report", "Times-Roman", 12);
    p2.text(72, 676, "with details about regional offices", "Times-Roman", 12);
    // Drawn at 172,500 on the page through a translated matrix; the link is in page space.
    p2.raw("q 1 0 0 1 100 -100 cm");
    p2.text(72, 600, "Relocated", "Helvetica", 12);
    p2.raw("Q");
    p2.link(168, 495, 240, 514, MOVED_URI);
    p2.text(72, 470, "End of report", "Times-Roman", 12);
}

std::vector<std::string> report_words(int page)
{
    std::string s;
    if (page == 1) {
        s = "Quarterly Report Prepared by the finance team";
        for (const char* line : REPORT_BODY)
            s += std::string(" ") + line;
        s += " Important notice about dividends printf hello world Website lists every figure"
             " Warning about late payments Footnote without any action";
    } else {
        s = "Second section heading The second page continues the report with details about"
            " regional offices End of report";
    }
    return words_of(s);
}

void make_columns(vlxtest::PdfWriter& w)
{
    vlxtest::PdfPage& p = w.add_page(612, 792);
    for (int i = 0; i < 8; ++i) {
        p.text(72, 700 - 15 * i, std::string("Alpha line ") + NUMBERS[i] + " about gardens", "Helvetica", 11);
        p.text(330, 700 - 15 * i, std::string("Beta line ") + NUMBERS[i] + " about rivers", "Helvetica", 11);
    }
}

std::vector<std::string> columns_words()
{
    std::vector<std::string> out;
    for (const char* side : {"Alpha", "Beta"})
        for (int i = 0; i < 8; ++i) {
            out.push_back(side);
            out.push_back(NUMBERS[i]);
        }
    return out;
}

void make_overlapping_columns(vlxtest::PdfWriter& w)
{
    vlxtest::PdfPage& p = w.add_page(612, 792);
    // The first left line runs 4 points under the start of the first right line, which stands
    // half a line lower: the two columns' cells overlap without either line spanning both.
    for (int i = 0; i < 8; ++i) {
        std::string left = std::string("Alpha ") + NUMBERS[i] + " gardens";
        p.text(72, 700 - 14 * i, i == 0 ? left + " and lawns" : left, "Helvetica", 10);
        p.text(i == 0 ? 200 : 220, 693 - 14 * i, std::string("Beta ") + NUMBERS[i] + " rivers", "Helvetica", 10);
    }
}

std::vector<std::string> overlapping_columns_words()
{
    std::vector<std::string> out = {"Alpha", "one", "gardens", "and", "lawns"};
    for (int i = 1; i < 8; ++i)
        out.insert(out.end(), {"Alpha", NUMBERS[i], "gardens"});
    for (int i = 0; i < 8; ++i)
        out.insert(out.end(), {"Beta", NUMBERS[i], "rivers"});
    return out;
}

namespace {

const char* const WIDE_FIRST[] = {"Alpha one gardens and lawns with hedges and old trees",
                                  "Beta one rivers run down to the wide grey sea at last"};

std::string wide_line(const char* side, int i)
{
    return side + std::string(" ") + NUMBERS[i] + (*side == 'A' ? " gardens and lawns" : " rivers run to the sea");
}

} // namespace

void make_wide_overlapping_columns(vlxtest::PdfWriter& w)
{
    vlxtest::PdfPage& p = w.add_page(612, 792);
    // The right cell's first line starts 60 points inside the left one's, a little lower; each
    // column's text ends in short words far to its right, which a squeezed column cannot hold.
    p.text(72, 700, WIDE_FIRST[0], "Helvetica", 10).text(260, 692, WIDE_FIRST[1], "Helvetica", 10);
    for (int i = 1; i < 8; ++i) {
        p.text(72, 700 - 28 * i, wide_line("Alpha", i), "Helvetica", 10);
        p.text(215, 686 - 28 * i, "north", "Helvetica", 10);
        p.text(330, 692 - 28 * i, wide_line("Beta", i), "Helvetica", 10);
        p.text(480, 678 - 28 * i, "south", "Helvetica", 10);
    }
}

std::vector<std::string> wide_overlapping_columns_words()
{
    std::string all = std::string(WIDE_FIRST[0]) + " " + WIDE_FIRST[1];
    for (int i = 1; i < 8; ++i)
        all += " " + wide_line("Alpha", i) + " north " + wide_line("Beta", i) + " south";
    return words_of(all);
}

void make_turned_pages(vlxtest::PdfWriter& w)
{
    vlxtest::PdfPage& rotated = w.add_page(612, 792, 90);
    for (int i = 0; i < 4; ++i)
        rotated.text(72, 700 - 16 * i, turned_line(1, i), "Helvetica", 12);
    // A landscape table on an upright page: every line drawn a quarter turn anticlockwise.
    vlxtest::PdfPage& landscape = w.add_page(612, 792);
    for (int i = 0; i < 4; ++i)
        landscape.raw("BT " + landscape.font("Helvetica") + " 12 Tf 0 1 -1 0 " + std::to_string(100 + 16 * i) +
                      " 100 Tm (" + turned_line(2, i) + ") Tj ET");
    vlxtest::PdfPage& upright = w.add_page(612, 792);
    for (int i = 0; i < 4; ++i)
        upright.text(72, 700 - 16 * i, turned_line(3, i), "Helvetica", 12);
}

std::string turned_line(int page, int i)
{
    return std::string(page == 3 ? "Upright " : "Turned ") + NUMBERS[page - 1] + " line " + NUMBERS[i];
}

namespace {

// Column lines from FULL_TOP down to the lowest baseline not below `bottom`, 13 points apart.
const double FULL_TOP = 740, LINE_STEP = 13;

int full_lines(double bottom)
{
    return int((FULL_TOP - bottom) / LINE_STEP) + 1;
}

std::string full_line(const char* side, int page, int i)
{
    return std::string(side) + " " + std::to_string(page * 100 + i) + " harbours bridges valleys";
}

double full_bottom(bool footer)
{
    return footer ? 80 : 30;
}

} // namespace

void make_full_columns(vlxtest::PdfWriter& w, bool footer)
{
    for (int page = 1; page <= 2; ++page) {
        vlxtest::PdfPage& p = w.add_page(612, 792);
        for (int i = 0; i < full_lines(full_bottom(footer)); ++i) {
            p.text(72, FULL_TOP - LINE_STEP * i, full_line("Alpha", page, i), "Times-Roman", 11);
            p.text(320, FULL_TOP - LINE_STEP * i, full_line("Beta", page, i), "Times-Roman", 11);
        }
        // A centred footer line near the foot, or a last line of the first column at the foot.
        if (footer)
            p.text(285, 18, "Page " + std::to_string(page), "Helvetica", 9);
        else
            p.text(72, 17, "Closing " + std::to_string(page), "Helvetica", 9);
    }
}

std::vector<std::string> full_columns_words(int page, bool footer)
{
    std::string s;
    for (const char* side : {"Alpha", "Beta"}) {
        for (int i = 0; i < full_lines(full_bottom(footer)); ++i)
            s += full_line(side, page, i) + " ";
        if (!footer && side[0] == 'A')
            s += "Closing " + std::to_string(page) + " ";
    }
    if (footer)
        s += "Page " + std::to_string(page);
    return words_of(s);
}

void make_table(vlxtest::PdfWriter& w)
{
    vlxtest::PdfPage& p = w.add_page(612, 792);
    p.text(60, 750, "Price list", "Helvetica-Bold", 14);
    const double xs[] = {60, 190, 320, 450, 580};
    const double top = 720, row_h = 30;
    for (int r = 0; r <= 5; ++r)
        p.line(xs[0], top - r * row_h, xs[4], top - r * row_h, 0.75, BLACK);
    for (double x : xs)
        p.line(x, top, x, top - 5 * row_h, 0.75, BLACK);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c)
            p.text(xs[c] + 8, top - r * row_h - 20, TABLE[r][c], "Helvetica", 10);
}

std::vector<std::string> table_words()
{
    std::vector<std::string> out;
    for (auto& row : TABLE)
        for (const char* cell : row)
            out.push_back(cell);
    return out;
}

} // namespace e2e
