#pragma once
// The output device of the text pass: collects a page's characters into the text page and
// writes the RTF document around the pages: head, font table, sections, colour table, margins.
#include "TextTypes.h"
#include "callback_guard.h"
#include "pdf_width_getter.h"
#include "tk_singl.h"

#include <OutputDev.h>

#include <cstdio>
#include <string>

namespace vlx {
class TextPage;
class TextWord;
}

class RtfOutputDev : public tk_singleton<RtfOutputDev>, public OutputDev {
public:
    // With fd (not -1) the document goes to a duplicate of that open descriptor instead, fileName
    // only naming it; fd stays the caller's.
    RtfOutputDev(const char* fileName, int physLayout, int rawOrder, bool append, int fd = -1);
    ~RtfOutputDev() override;

    bool isOk() const { return ok; }
    void flushPage();
    // Writes the closing brace and closes the file; throws when the document could not be written.
    void finish();
    // Sends what is written so far on and throws the system's text when any write of the document
    // failed: the run asks after each page, so a full disk ends it at the page that filled it.
    void checkWrites();
    void putHexByte(int byte);
    static void outputToFile(void* stream, const char* text, int length);

    // A failure inside a library callback is held here and rethrown once the library has returned.
    void rethrowPending();

    bool upsideDown() override { return true; }
    bool useDrawChar() override { return true; }
    bool interpretType3Chars() override { return false; }
    void startPage(int pageNum, GfxState* state, XRef* xref) override;
    void updateFont(GfxState* state) override;
    void beginString(GfxState* state, const GooString* s) override;
    void endString(GfxState* state) override;
    void drawChar(GfxState* state, double x, double y, double dx, double dy, double originX, double originY,
                  CharCode code, int nBytes, const Unicode* u, int uLen) override;
    void processLink(AnnotLink* link) override;

    vlx::TextPage* textPage() const { return text; }
    FILE* stream() const { return outputStream; }

private:
    void write(const std::string& s);
    void doStartPage(GfxState* state);
    void doUpdateFont(GfxState* state);
    void doLink(AnnotLink* link);
    int writeFailure() const;

    vlx::TextOutputFunc outputFunc = nullptr;
    FILE* outputStream = nullptr;
    bool needClose = false;
    int writeError = 0; // the first failed write's errno, for a file of our own
    vlx::TextPage* text = nullptr;
    int physLayout;
    int rawOrder;
    bool ok = true;
    vlx::ColorList colours;
    bool colortbl_written = false;
    bool first_page = true;
    bool finished = false;
    pdf_width_getter width_getter;
    callback_guard guard;
};
