#include "TextPage.h"

#include "TagWord.h"
#include "TextLine.h"
#include "TextWord.h"
#include "page_writer.h"
#include "rtf_int.h"
#include "tk_log.h"

#include <algorithm>

namespace vlx {

void TextPage::writeTextBox(FILE* out, TextOutputFunc outputFunc, TextLine* line)
{
    tk_log(1, "TextPage::writeTextBox(xmin=%g,ymin=%g)", line->xMin, line->yMin);
    int left = rtf_twips(std::min(line->xMin, line->xMax));
    int top = rtf_twips(std::min(line->yMin, line->yMax));
    int right = rtf_twips(std::max(line->xMin, line->xMax));
    int bottom = rtf_twips(std::max(line->yMin, line->yMax));
    // A box reaching over the page's top or left edge is moved onto the page, keeping its size.
    if (left < 0) {
        right = truncInt(static_cast<double>(right) - left);
        left = 0;
    }
    if (top < 0) {
        bottom = truncInt(static_cast<double>(bottom) - top);
        top = 0;
    }
    // The first word's flow: vertical writing keeps its characters upright, turned text does not.
    int flow = line->words ? line->words->flowCode : line->rot == 1 ? 3 : line->rot == 3 ? 2 : 0;
    std::fprintf(out, "{\\shp\\shpleft%d\\shptop%d\\shpright%d\\shpbottom%d\n", left, top, right, bottom);
    // Behind the text, so that rotated words never cover horizontal ones, and above the page
    // picture (z-order 0), which would hide them.
    std::fputs("\\shpz1\\shpfhdr0\\shpbxpage\\shpbypage\\shpwr3\\shpwrk0\\shpfblwtxt1\n", out);
    std::fputs("{\\*\\shpinst {\\sp{\\sn fLine}{\\sv 0}}{\\sp{\\sn shapeType}{\\sv 202}}\n", out);
    std::fputs("{\\sp{\\sn dxTextLeft}{\\sv 0}}{\\sp{\\sn dxTextRight}{\\sv 0}}\n", out);
    std::fputs("{\\sp{\\sn dyTextTop}{\\sv 0}}{\\sp{\\sn dyTextBottom}{\\sv 0}}\n", out);
    std::fputs("{\\sp{\\sn fFilled}{\\sv 0}}{\\sp{\\sn fBehindDocument}{\\sv 1}}\n", out);
    // The text group stays inside the shape instance, where readers look for it; the
    // caller closes three groups: text, instance and shape.
    std::fprintf(out, "{\\sp{\\sn txflTextFlow}{\\sv %d}}{\\shptxt ", flow);
}

namespace page_writer {

void writeTextBoxLine(TextPage& page, FILE* out, TextOutputFunc outputFunc, TagWord& tagWord,
                      const ColorList& colors, TextLine* line, LineFlags& flags)
{
    page.writeTextBox(out, outputFunc, line);
    writeLinePrefix(out, outputFunc, tagWord, colors, line, false);
    TextPage::dumpLine(out, outputFunc, tagWord, colors, line, &flags.bullet, &flags.link, &flags.brace);
    closeLink(out, flags);
    std::fputs("}}}\n", out);
}

} // namespace page_writer
} // namespace vlx
