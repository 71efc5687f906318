// The conversion run: two passes over every page, the picture behind the text, the page flush.
#include "vlx_conv.h"

#include "RtfOutputDev.h"
#include "annot_filter.h"
#include "page_writer.h"
#include "pdf_open.h"
#include "pdf_ulin.h"
#include "plat_stream.h"
#include "plat_tmpreg.h"
#include "raster_output_dev.h"
#include "rtf_int.h"
#include "tk_errh.h"
#include "tk_log.h"
#include "tk_utils.h"
#include "vlx_dest.h"
#include "vlx_host.h"
#include "vlx_pict.h"
#include "write_jpeg.h"

#include <PDFDoc.h>
#include <splash/SplashBitmap.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace {

const char* const UNIT = "vlx_conv";

// Closes and removes a temporary file on every path, a signal's included.
struct temp_guard {
    std::string name;
    FILE* f = nullptr;
    int write_error = 0;
    plat::temp_record record;
    ~temp_guard()
    {
        if (f)
            std::fclose(f);
        if (!name.empty())
            unlink(name.c_str());
    }
};

std::string fmt(const char* f, long a, long b)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, f, a, b);
    return buf;
}

[[noreturn]] void no_temp_file()
{
    tk_log(1, "Could not open new temporary file\n");
    throw tk_exception("Cannot create temporary file to store graphics.\n"
                       "Make sure you have full access to the temporary folder " + plat::temp_dir() + ".",
                       1);
}

bool stop_check(void* job)
{
    return static_cast<vellix_convertor*>(job)->stop_requested();
}

} // namespace

const char VLX_PICTURE_TAIL[] = "\n}}}\n{\\sp{\\sn fRecolorFillAsPicture}{\\sv 0}}"
                                "\n{\\sp{\\sn posrelh}{\\sv 1}}\n{\\sp{\\sn posrelv}{\\sv 1}}"
                                "\n{\\sp{\\sn fAllowOverlap}{\\sv 1}}"
                                "\n{\\sp{\\sn fBehindDocument}{\\sv 1}}\n}}";

std::string vlx_picture_head(int w, int h, int resolution)
{
    const double f = 72.0 / resolution;
    std::string head = "{\\shp\n{\\*\\shpinst\\shpleft0\\shptop0";
    head += fmt("\\shpright%ld\\shpbottom%ld\n", vlx::truncInt(w * 20.0 * f), vlx::truncInt(h * 20.0 * f));
    head += "\\shpfhdr0\\shpbxpage\\shpbypage";
    head += "\\shpwr3\\shpwrk0\\shpfblwtxt1\\shpz0\n";
    head += "{\\sp{\\sn shapeType}{\\sv 75}}\n";
    head += "{\\sp{\\sn pib}{\\sv {\\pict";
    head += "\\jpegblip";
    head += fmt("\\picw%ld \\pich%ld\n", vlx::truncInt(w * f), vlx::truncInt(h * f));
    // the twips are whole numbers before the scale applies
    head += fmt("\\picwgoal%ld \\pichgoal%ld\n", vlx::truncInt((w * 20) * f), vlx::truncInt((h * 20) * f));
    head += "\\picscalex100 \\picscaley100\n";
    return head;
}

FILE* vellix_convertor::message_stream() const
{
    return vlx_dest_is_stdout(dest) ? stderr : stdout;
}

void vellix_convertor::run()
{
    tk_log(1, "vellix_convertor::run");
    tk_assert(!src.empty() && !dest.empty(), UNIT, 209);
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    tk_log(3, "Conversion started on %02d/%02d/%04d at %02d:%02d:%02d\n", tm.tm_mday, tm.tm_mon + 1,
           tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    tk_log(3, "src=[%s]\ndest=[%s]", src.c_str(), dest.c_str());
    run_failed = false;
    try {
        run_pages();
        run_done = true;
    } catch (const tk_final_exception&) {
        run_failed = true;
    } catch (const tk_exception& e) {
        run_failed = true;
        error_handler::instance().handle(e, true);
    } catch (const std::exception& e) {
        run_failed = true;
        if (host) {
            host->error(e.what());
        } else {
            tk_log(3, "ERROR:\n%s", e.what());
            std::fprintf(stderr, "%s\n", e.what());
        }
    }
}

void vellix_convertor::run_pages()
{
    std::unique_ptr<PDFDoc> doc = pdf_open_document(src, password);
    const int n = doc->getNumPages();
    page_count = page_list.empty() ? n : static_cast<int>(page_list.size());
    // A list that names no page of the document would give an empty document reported as done.
    if (!page_list.empty() && std::none_of(page_list.begin(), page_list.end(), [&](int p) {
            return static_cast<unsigned>(p) <= static_cast<unsigned>(n) && doc->getPage(p);
        }))
        throw tk_exception(VLX_NO_PAGE_SELECTED, 1);
    if (host)
        host->start_timer(200);

    pdf_uline_processor proc(tables_mode);
    RasterOutputDev raster;
    raster.startDoc(doc.get());
    vlx_dest_file target(dest, src);
    const int count = page_count;
    {
        RtfOutputDev rtf(target.path().c_str(), physLayout_mode ? 1 : 0, 0, false, target.fd());
        if (!rtf.isOk())
            throw tk_exception("Cannot open destination file", 1);
        // The last step of progress waits until the document is complete and in place.
        for (int i = current_page; i < count; ++i) {
            if (stop_requested())
                throw tk_final_exception(); // the user cancelled; nothing more to say
            int p = page_list.empty() ? i + 1 : page_list[i];
            if (static_cast<unsigned>(p) > static_cast<unsigned>(n))
                tk_log(1, "Page is our of range %d > %d", p, n);
            else
                convert_page(rtf, raster, *doc, p);
            rtf.checkWrites(); // a full disk ends the run at the page that filled it
            if (i + 1 < count)
                current_page = i + 1;
        }
        rtf.finish();
    }
    // Only a hosted run can be cancelled; the console's wait ends by a signal.
    if (host)
        target.commit([this] { return stop_requested(); });
    else
        target.commit();
    current_page = count;
}

void vellix_convertor::convert_page(RtfOutputDev& rtf, SplashOutputDev& raster, PDFDoc& doc, int page)
{
    tk_log(1, "vellix_convertor::convert_page(%d)", page);
    if (!doc.getPage(page)) {
        tk_log(3, "Page %d cannot be read; skipped", page);
        return;
    }
    // A crop box that misses the media box leaves a page of no size; viewers show the media box.
    const PDFRectangle* crop = doc.getPage(page)->getCropBox();
    const bool media = !(crop->x2 > crop->x1 && crop->y2 > crop->y1);
    doc.displayPage(&raster, page, resolution, resolution, 0, media, !media, false, stop_check, this,
                    raster_annot_not_link, nullptr);
    static_cast<RasterOutputDev&>(raster).rethrowPending();
    doc.displayPage(&rtf, page, 72, 72, 0, media, !media, false, stop_check, this, raster_annot_not_link, nullptr);
    doc.processLinks(&rtf, page);
    rtf.rethrowPending();
    tk_log(2, "Right after processing page #%d", page);

    pdf_uline_processor::instance().undo_lines(raster.getSplash());
    if (!convert_graphics) {
        std::fputs("Graphics is OFF\n", message_stream());
        std::fflush(message_stream());
    } else {
        write_picture(RtfOutputDev::instance(), raster);
    }
    RtfOutputDev::instance().flushPage();
}

void vellix_convertor::write_picture(RtfOutputDev& rtf, SplashOutputDev& raster)
{
    temp_guard tmp;
    int fd;
    {
        plat::signal_hold hold; // the file is recorded before a signal can leave it behind
        tmp.name = tk_get_temp_file_name(fd, &tmp.record);
    }
    // Only through the descriptor that made it: the name may lead elsewhere by now.
    tmp.f = plat::checked_stream(fd, "w+", &tmp.write_error);
    if (!tmp.f)
        no_temp_file();
    SplashBitmap* bmp = raster.getBitmap();
    const int w = bmp->getWidth(), h = bmp->getHeight();

    // Rows go to the encoder as they are when they are packed; only padded rows are copied.
    unsigned char* rows = bmp->getDataPtr();
    std::vector<unsigned char> packed;
    if (bmp->getRowSize() != w * 3) {
        packed.resize(static_cast<size_t>(w) * h * 3);
        for (int y = 0; y < h; ++y)
            std::copy_n(rows + static_cast<ptrdiff_t>(y) * bmp->getRowSize(), w * 3,
                        packed.data() + static_cast<size_t>(y) * w * 3);
        rows = packed.data();
    }

    FILE* out = rtf.stream();
    const std::string head = vlx_picture_head(w, h, resolution);
    std::fwrite(head.data(), 1, head.size(), out);

    try {
        write_jpeg(w, h, 255, JPEG_FORMAT_RGB, rows, tmp.f);
    } catch (const tk_exception&) {
        // the system says why the picture did not fit better than the JPEG library's guess
        if (tmp.write_error)
            throw tk_exception_ex(tmp.write_error);
        throw;
    }
    std::rewind(tmp.f);
    unsigned char buf[8192];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, tmp.f)) > 0)
        for (size_t i = 0; i < got; ++i)
            rtf.putHexByte(buf[i]);
    if (std::ferror(tmp.f)) {
        int err = errno;
        tk_log(3, "Could not read the page picture back from %s", tmp.name.c_str());
        throw tk_exception_ex(err ? err : EIO);
    }
    std::fputs(VLX_PICTURE_TAIL, out);
    if (physLayout_mode || !noframe_mode) {
        // Framed text has no body paragraph of its own; without one, readers anchor the picture
        // inside the first frame and lose it.
        vlx::page_writer::writeAnchorParagraph(out);
    }
}
