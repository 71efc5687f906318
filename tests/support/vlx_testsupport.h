// Test helpers shared by every test program: a PDF writer with exact content,
// temporary paths, programs run and signalled, qpdf encryption and an RTF brace checker.
//
//   vlxtest::PdfWriter w;
//   vlxtest::PdfPage& p = w.add_page(612, 792);          // Letter, /Rotate 0
//   p.text(72, 700, "Hello", "Helvetica-Bold", 14, vlxtest::Rgb{1, 0, 0});
//   p.fill_rect(72, 690, 100, 2, vlxtest::Rgb{0, 0, 0});
//   p.link(72, 695, 172, 715, "http://example.com/");
//   std::string path = vlxtest::write_temp_pdf(w);        // caller removes it
//
// Coordinates are PDF user space (points, origin bottom left). Text is passed
// as bytes in WinAnsiEncoding (Windows-1252) and written as a literal string.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vlxtest {

// Colour components in 0..1.
struct Rgb {
    double r = 0, g = 0, b = 0;
};

class PdfWriter;

// One page. All calls append to the page's content stream in call order.
class PdfPage {
public:
    // Resource name ("/F1") of one of the standard 14 fonts, for raw() text.
    std::string font(const std::string& base_font);

    // Appends raw content-stream operators; a line feed is added after them.
    PdfPage& raw(const std::string& ops);

    // One string shown with Tj inside its own BT/ET, baseline start at x,y.
    PdfPage& text(double x, double y, const std::string& s,
                  const std::string& base_font = "Helvetica", double size = 12,
                  Rgb color = {});
    // UTF-8 text (code points up to U+FFFF) in a CID-keyed font that is not embedded: one
    // code per character, known through the font's ToUnicode map. vertical: written top to
    // bottom (Identity-V), x,y the top centre of the first character; else Identity-H.
    PdfPage& cid_text(double x, double y, const std::string& utf8, double size = 12,
                      bool vertical = true);
    // A filled rectangle, lower left corner x,y (re f).
    PdfPage& fill_rect(double x, double y, double w, double h, Rgb color = {});
    // A stroked segment; dash is the dash array (empty: solid).
    PdfPage& line(double x1, double y1, double x2, double y2, double width,
                  Rgb color = {}, const std::vector<double>& dash = {});
    // An uncompressed 8-bit DeviceRGB image of px_w x px_h pixels painted
    // into the rectangle x,y,w,h. rgb holds px_w*px_h*3 bytes, top row first.
    PdfPage& image(double x, double y, double w, double h, int px_w, int px_h,
                   const std::vector<std::uint8_t>& rgb);
    // A /Link annotation with a /URI action; an empty uri gives a link
    // without any action. No border is drawn (/Border [0 0 0]).
    PdfPage& link(double x1, double y1, double x2, double y2, const std::string& uri);
    // A /CropBox of [x1 y1 x2 y2]; none unless set.
    PdfPage& crop_box(double x1, double y1, double x2, double y2);

    const std::string& content() const { return content_; }

private:
    friend class PdfWriter;
    PdfPage(PdfWriter* doc, double w, double h, int rotate)
        : doc_(doc), width_(w), height_(h), rotate_(rotate) {}

    struct Link {
        double x1, y1, x2, y2;
        std::string uri;
    };
    PdfWriter* doc_;
    double width_, height_;
    int rotate_;
    std::string content_;
    std::vector<Link> links_;
    std::vector<int> images_;  // indexes into the writer's image list
    std::vector<double> crop_; // empty: no /CropBox
};

// A whole document. Fonts and images are shared by all pages' resources.
class PdfWriter {
public:
    PdfWriter() = default;
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    // Adds a page with a MediaBox of [0 0 width height] and the given /Rotate.
    // The reference stays valid for the writer's lifetime.
    PdfPage& add_page(double width = 612, double height = 792, int rotate = 0);

    // The complete file: header, objects, xref table, trailer, %%EOF.
    std::string str() const;
    // Writes str() to path; throws std::runtime_error on failure.
    void save(const std::string& path) const;

private:
    friend class PdfPage;
    struct Image {
        int w, h;
        std::vector<std::uint8_t> rgb;
    };
    int font_index(const std::string& base_font);  // 1-based
    std::vector<std::string> fonts_;
    std::vector<unsigned> cid_codes_;  // every code cid_text has shown, for the ToUnicode map
    std::vector<Image> images_;
    std::vector<std::unique_ptr<PdfPage>> pages_;
};

// A unique, newly created empty file "<$TMPDIR or /tmp>/vlxtest-XXXXXX<suffix>".
// The caller removes it.
std::string temp_path(const std::string& suffix = ".pdf");
// Saves the document to a fresh temp_path(".pdf") and returns the path.
std::string write_temp_pdf(const PdfWriter& doc);
// Writes raw bytes (a non-PDF, an empty file, ...) to a fresh temp path.
std::string write_temp_file(const std::string& bytes, const std::string& suffix = ".pdf");
// Removes the file at scope exit.
struct TempFile {
    std::string path;
    explicit TempFile(std::string p) : path(std::move(p)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();
};

// What this process writes to descriptor fd (1 or 2) from construction until text(), kept in a
// file in the temporary folder (gtest's CaptureStdout and CaptureStderr use /tmp whatever TMPDIR
// says). The descriptor is given back by text() or at the end of the scope.
class Captured {
public:
    explicit Captured(int fd);
    ~Captured();
    Captured(const Captured&) = delete;
    Captured& operator=(const Captured&) = delete;
    std::string text();

private:
    int fd_, saved_;
    std::string path_;
};

// Runs cmd through the shell, its standard input empty, and returns what it writes to stdout;
// *status (when given) gets its exit status, -1 when it could not run or did not exit. *err
// (when given) gets its error output, which otherwise goes to the test's own.
std::string command_output(const std::string& cmd, int* status = nullptr, std::string* err = nullptr);
// The read end of a pipe whose write end is closed already: an empty standard input for a
// child (close-on-exec, so dup it onto 0). The caller closes it; -1 when no pipe could be made.
int empty_input();

struct proc_result {
    int status = -1; // 128 + n after signal n
    std::string out, err;
    std::string describe() const;
};
// Runs argv through the shell, in cwd (when given) with env added to its environment; its
// standard input is an empty file, its output and error output are returned.
proc_result run_program(const std::vector<std::string>& argv, const std::string& cwd = "",
                        const std::map<std::string, std::string>& env = {});
// As run_program, with the system call nr failing with err (a seccomp filter, taken on across exec)
// in the programs it runs, as on a file system or kernel without that call.
proc_result run_program_failing_call(long nr, int err, const std::vector<std::string>& argv,
                                     const std::string& cwd = "", const std::map<std::string, std::string>& env = {});
// From now on the system call nr raises SIGSYS in this process, a fault its handlers take where it
// stands (in a death test's child). False when the filter cannot be set.
bool trap_call(long nr);
// The console program of the build under test.
std::string vlxrun_path();

// Seconds one LibreOffice read-back may take: enough with four copies of the suite at once.
extern const int reader_seconds;
// One headless soffice run (its user profile in work) that converts every input into
// outdir/<name>.<fmt>, for a test whose name holds "LibreOffice" (ctest gives those the time).
// "" when each output was made; otherwise what went wrong, saying so when the time limit, not
// the document, stopped it.
std::string lo_convert(const std::vector<std::string>& inputs, const std::string& fmt,
                       const std::string& outdir, const std::string& work);

// A user whom permission bits stop, to run a program as. As root, nobody through setpriv, the
// program copied into a folder of its own that nobody can reach (the build may sit in a private
// folder); ok is false, with why, when that user cannot run it: a test then fails, as skipping would
// test nothing. Otherwise this process's own user, whom the bits stop already.
class OtherUser {
public:
    explicit OtherUser(const std::string& program = vlxrun_path());
    ~OtherUser();
    OtherUser(const OtherUser&) = delete;
    OtherUser& operator=(const OtherUser&) = delete;

    bool ok = false;
    std::string why;
    bool other = false;              // another user than this process's: nobody, run by root
    unsigned uid = 0, gid = 0;       // that user's ids
    std::vector<std::string> prefix; // the command that runs what follows as that user
    std::string program;             // the program, where that user can run it

private:
    std::string folder_;
};

// Starts program (no shell) with every signal at its default but the ones in ignored, which it
// starts ignoring (a caller that ignores one would pass that on), and TMPDIR set to tmpdir; its
// standard input is empty and its output goes to the files "stdout" and "stderr" in folder.
// Returns its pid, or -1.
int start_program(const std::string& program, const std::vector<std::string>& args,
                  const std::string& folder, const std::string& tmpdir, const std::vector<int>& ignored = {});
// Waits for the process to end by itself and returns true with its wait status; after the
// time-out it kills it, reaps it and returns false.
bool wait_for_end(int pid, int seconds, int* status);
// The names in a folder that start with prefix, sorted.
std::vector<std::string> names_starting(const std::string& folder, const std::string& prefix);
// Removes the files names_starting lists.
void remove_names_starting(const std::string& folder, const std::string& prefix);

// Writes folder/name, a program that writes the signals it started with ignored (its SigIgn line)
// to folder/name.sigign, so that what a program hands on to the ones it starts can be seen.
void write_sigign_stand_in(const std::string& folder, const std::string& name);
// Waits (60 s at most) for that stand-in to have run, and names which of SIGPIPE and SIGXFSZ it
// started with ignored ("" for neither); "not run" when it did not run.
std::string write_failures_ignored_by(const std::string& folder, const std::string& name);

// Saves a 400-page document (or one of pages pages), each page with text and a filled rectangle:
// long enough to convert that a run can be caught while it writes a page's picture.
void write_long_pdf(const std::string& path, int pages = 400);
// Every signal whose default ends the process and that a handler can catch, the faults included.
std::vector<int> ending_signals();
struct SignalledRun {
    int pid = -1;        // -1: not started
    bool seen = false;   // both temporary files were there before it ended
    bool reaped = false; // its wait status was collected
    int status = 0;      // that wait status
};
// Starts the program as start_program does, waits (60 s at most) until both a "TMP*" file in
// tmpdir and a ".vellix-*" file in folder exist, which is while a page's picture is being
// written, or until it ends; then sends it sig and waits for it (120 s at most: a signal it
// ignores lets the run finish).
SignalledRun signal_while_writing(const std::string& program, const std::vector<std::string>& args,
                                  const std::string& folder, const std::string& tmpdir, int sig,
                                  const std::vector<int>& ignored = {});

enum class Crypt { rc4_40, aes_128, aes_256 };
// Runs qpdf (no shell) to encrypt in into out with the given user and owner
// passwords; all permissions stay allowed. Returns false, with qpdf's output
// in *log when given, if qpdf fails or writes no file.
bool qpdf_encrypt(const std::string& in, const std::string& out, Crypt kind,
                  const std::string& user_pw, const std::string& owner_pw,
                  std::string* log = nullptr);

// True when the RTF text is one balanced group: it starts with '{', the brace
// depth stays >= 1 until the final '}', and only white space follows it.
// Escapes \\, \{, \} and \'hh are skipped. On false, *why says where and why.
bool rtf_braces_ok(const std::string& rtf, std::string* why = nullptr);

}  // namespace vlxtest
