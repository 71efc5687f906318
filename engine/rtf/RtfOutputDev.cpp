#include "RtfOutputDev.h"

#include "TextFontInfo.h"
#include "TextBlock.h"
#include "TextPage.h"
#include "TextPool.h"
#include "TextWord.h"
#include "font_table.h"
#include "page_margins.h"
#include "pdf_ulin.h"
#include "plat_stream.h"
#include "rtf_int.h"
#include "tk_log.h"
#include "vlx_conv.h"

#include <Annot.h>
#include <GfxFont.h>
#include <GfxState.h>
#include <Link.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>

using vlx::TextPage;

namespace {

const char* const UNIT = "RtfOutputDev";
const double MAX_PAPER = 1583.0; // the largest page RTF readers take, in points

std::string fmt(const char* f, long v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

} // namespace

RtfOutputDev::RtfOutputDev(const char* fileName, int physLayoutA, int rawOrderA, bool append, int fd)
    : physLayout(physLayoutA), rawOrder(rawOrderA)
{
    tk_log(2, "RtfOutputDev::ctor(%s,%d,%d,%d)", fileName, physLayoutA, rawOrderA, append ? 1 : 0);
    if (std::strcmp(fileName, "-") == 0) {
        outputStream = stdout;
    } else {
        if (fd >= 0) {
            // never a standard stream's number: those stay free for the streams themselves
            int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
            outputStream = own < 0 ? nullptr : plat::checked_stream(own, append ? "a" : "w", &writeError);
        } else {
            outputStream = plat::open_checked_stream(fileName, append ? "a" : "w", &writeError);
        }
        if (!outputStream) {
            ok = false;
            return;
        }
        needClose = true;
    }
    outputFunc = &RtfOutputDev::outputToFile;
    text = new TextPage(rawOrder);
    std::string head = "{\\rtf \\ansi\\ansicpg1252\\deff0\r\n{\\fonttbl";
    for (const font_table_row& row : font_table)
        head += row.definition;
    head += "}\r\n";
    write(head);
}

RtfOutputDev::~RtfOutputDev()
{
    tk_log(2, "RtfOutputDev::dtor");
    try {
        finish();
    } catch (const tk_exception&) {
        // already unwinding from another failure, or the caller did not ask: nothing more to say
    }
    delete text;
}

void RtfOutputDev::finish()
{
    if (!ok || finished)
        return;
    finished = true;
    write("}\r\n"); // standard output gets its closing brace too, or readers refuse the document
    errno = 0;
    bool failed = std::ferror(outputStream) != 0;
    if (needClose)
        failed = std::fclose(outputStream) != 0 || failed;
    else
        failed = std::fflush(outputStream) != 0 || failed;
    outputStream = nullptr;
    if (failed)
        throw tk_exception_ex(writeFailure());
}

void RtfOutputDev::checkWrites()
{
    if (!outputStream)
        return;
    errno = 0;
    if (std::fflush(outputStream) != 0 || std::ferror(outputStream))
        throw tk_exception_ex(writeFailure());
}

int RtfOutputDev::writeFailure() const
{
    // A file opened by name knows its first failure; standard output only what the last call said.
    return writeError ? writeError : errno ? errno : EIO;
}

void RtfOutputDev::write(const std::string& s)
{
    outputFunc(outputStream, s.data(), static_cast<int>(s.size()));
}

void RtfOutputDev::outputToFile(void* stream, const char* data, int length)
{
    if (length > 0)
        std::fwrite(data, 1, static_cast<size_t>(length), static_cast<FILE*>(stream));
}

void RtfOutputDev::putHexByte(int byte)
{
    static const char digits[] = "0123456789abcdef";
    std::fputc(digits[(byte >> 4) & 15], outputStream);
    std::fputc(digits[byte & 15], outputStream);
}

void RtfOutputDev::rethrowPending()
{
    guard.rethrow();
}

void RtfOutputDev::startPage(int pageNum, GfxState* state, XRef*)
{
    tk_log(1, "RtfOutputDev::startPage(%d)", pageNum);
    guard.run([&] { doStartPage(state); });
}

void RtfOutputDev::doStartPage(GfxState* state)
{
    if (!first_page)
        write("\\sect\\sectd\\sbkpage\\margtsxn" +
              std::to_string(std::max(0, vlx::truncInt((vlx::pageMargins.top - 4.0) * 20.0))) + "\\pard\r\n");
    vellix_convertor::instance();
    double w = std::min(state->getPageWidth(), MAX_PAPER);
    double h = std::min(state->getPageHeight(), MAX_PAPER);
    write("\\jexpand\\viewkind1\\paperw" + std::to_string(vlx::truncInt(w * 20)) + "\\paperh" +
          std::to_string(vlx::truncInt(h * 20)) + "\r\n");
    pdf_uline_processor* proc = pdf_uline_processor::slot();
    if (proc && proc->tables_mode)
        proc->tableBuilding();
    text->clear();
    text->defaultICTM = getDefICTM();
    text->pageWidth = w;
    text->pageHeight = h;
}

void RtfOutputDev::updateFont(GfxState* state)
{
    guard.run([&] { doUpdateFont(state); });
}

void RtfOutputDev::doUpdateFont(GfxState* state)
{
    const std::shared_ptr<GfxFont>& font = state->getFont();
    if (!font) {
        text->curFont = nullptr;
        text->curFontSize = state->getTransformedFontSize();
        return;
    }
    vlx::TextFontInfo* info = nullptr;
    for (vlx::TextFontInfo* f : text->fonts)
        if (f->getFont() == font.get()) {
            info = f;
            break;
        }
    if (!info) {
        info = new vlx::TextFontInfo(font);
        text->fonts.push_back(info);
    }
    text->curFont = info;
    double size = state->getTransformedFontSize();
    if (font->getType() == fontType3) {
        // Type 3 sizes say little about the glyphs: scale by a typical glyph's width.
        auto* f8 = static_cast<Gfx8BitFont*>(font.get());
        int mCode = -1, letterCode = -1, anyCode = -1;
        for (int code = 0; code < 256; ++code) {
            const char* name = f8->getCharName(code);
            if (!name)
                continue;
            if (std::strcmp(name, "m") == 0)
                mCode = code;
            if (letterCode < 0 && name[0] && !name[1] &&
                ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
                letterCode = code;
            if (anyCode < 0 && f8->getWidth(static_cast<unsigned char>(code)) > 0)
                anyCode = code;
        }
        double w;
        if (mCode >= 0 && (w = f8->getWidth(static_cast<unsigned char>(mCode))) > 0)
            size *= w / 0.6;
        else if (letterCode >= 0 && (w = f8->getWidth(static_cast<unsigned char>(letterCode))) > 0)
            size *= w * 2;
        else if (anyCode >= 0 && (w = f8->getWidth(static_cast<unsigned char>(anyCode))) > 0)
            size *= w * 2;
        const double* m = font->getFontMatrix();
        if (m[0] != 0)
            size *= std::fabs(m[3] / m[0]);
    }
    text->curFontSize = size;
}

void RtfOutputDev::beginString(GfxState* state, const GooString*)
{
    guard.run([&] { text->beginWord(state, state->getCurX(), state->getCurY()); });
}

void RtfOutputDev::endString(GfxState*)
{
    guard.run([&] {
        if (text->nest > 0) {
            --text->nest;
        } else if (text->curWord) {
            vlx::TextWord* w = text->curWord;
            text->curWord = nullptr;
            text->addWord(w);
        }
    });
}

void RtfOutputDev::drawChar(GfxState* state, double x, double y, double dx, double dy, double, double,
                            CharCode code, int nBytes, const Unicode* u, int uLen)
{
    guard.run([&] { text->addChar(state, x, y, dx, dy, code, nBytes, u, uLen); });
}

void RtfOutputDev::processLink(AnnotLink* link)
{
    tk_log(1, "RtfOutputDev::drawLink");
    guard.run([&] { doLink(link); });
}

void RtfOutputDev::doLink(AnnotLink* link)
{
    tk_assert(link != nullptr, UNIT, 7579);
    if (!link->isOk())
        return;
    LinkAction* action = link->getAction();
    if (!action || action->getKind() != actionURI)
        return; // only web links become fields
    const std::string& uri = static_cast<LinkURI*>(action)->getURI();
    double x1, y1, x2, y2;
    link->getRect(&x1, &y1, &x2, &y2);
    for (vlx::TextPool* pool : text->pools) {
        if (!pool)
            continue;
        for (int b = pool->minBaseIdx; b <= pool->maxBaseIdx; ++b)
            for (vlx::TextWord* w = pool->getPool(b); w; w = w->next)
                if (x1 <= w->userX && w->userX <= x2 && y1 <= w->userY && w->userY <= y2) {
                    w->link = action;
                    w->linkURI = uri;
                }
    }
}

void RtfOutputDev::flushPage()
{
    tk_log(1, "RtfOutputDev::flushPage");
    // Checked before anything is written: a device that never opened its file, or has closed it,
    // has neither a stream nor a text page.
    tk_assert(outputStream != nullptr && text != nullptr, UNIT, 7381);
    if (!colortbl_written) {
        const int steps[6] = {0, 50, 100, 150, 200, 250};
        colours.clear();
        for (int r : steps)
            for (int g : steps)
                for (int b : steps)
                    colours.push_back({r, g, b});
        std::string t = "{\\colortbl;";
        for (const vlx::PageColor& c : colours)
            t += "\\red" + std::to_string(c.red) + "\\green" + std::to_string(c.green) + "\\blue" +
                 std::to_string(c.blue) + ";";
        t += "}\r\n";
        write(t);
        colortbl_written = true;
    }
    text->coalesce(physLayout != 0);

    double W = text->pageWidth, H = text->pageHeight;
    vlx::PageMargins& m = vlx::pageMargins;
    if (text->blockCount <= 0) {
        m = vlx::PageMargins{0, 0, 0, 0}; // no text: nothing to keep clear of
    } else {
        double xmin = 9999.0, xmax = 0, ymin = 9999.0, ymax = 0;
        for (int i = 0; i < text->blockCount; ++i) {
            const vlx::TextBlock* b = text->blocks[i];
            xmin = std::min(xmin, b->xMin);
            xmax = std::max(xmax, b->xMax);
            ymin = std::min(ymin, b->yMin);
            ymax = std::max(ymax, b->yMax);
        }
        // Text partly off the page must not give negative or page-sized margins.
        auto clamp = [](double v, double hi) { return std::max(0.0, std::min(v, std::max(0.0, hi))); };
        m.left = vlx::truncInt(clamp(xmin, W));
        m.top = vlx::truncInt(clamp(ymin * 0.97, H));
        m.right = W > xmax ? vlx::truncInt(clamp((W - xmax) * 0.98, W)) : 0;
        m.bottom = H > ymax ? vlx::truncInt(clamp((H - ymax) * 0.2, H)) : 0;
    }
    write(fmt("\\margt%ld", 20L * vlx::truncInt(m.top)) + fmt("\\margb%ld", 20L * vlx::truncInt(m.bottom)) +
          fmt("\\margr%ld", 20L * vlx::truncInt(m.right)) + fmt("\\margl%ld", 20L * vlx::truncInt(m.left)) + "\r\n");

    text->dump(outputStream, outputFunc, physLayout != 0, colours);
    if (physLayout || !vellix_convertor::instance().noframe_mode) {
        // Frames attach to the next body paragraph; without one on this page, readers move them
        // to the next page.
        write("\\pard\\plain\\fs2\\par\r\n");
    }
    first_page = false;
    pdf_uline_processor::instance().flush();
}
