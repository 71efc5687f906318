#pragma once
// Running programs without a shell, private folders, and LibreOffice/poppler read-back.
#include <map>
#include <string>
#include <vector>

namespace e2e {

struct proc_result {
    int status = -1;       // exit status 0..255, -1 when the program did not exit normally
    int term_signal = 0;   // the signal that ended it, if any
    bool timed_out = false;
    std::string out, err;
    std::string describe() const; // status and the start of both streams, for failure messages
};

struct spawn_opts {
    std::string cwd;
    std::map<std::string, std::string> env; // set or replaced in the child's environment
    int timeout_s = 300;
};

// argv[0] is the program path (searched in PATH when it has no slash).
proc_result run_program(const std::vector<std::string>& argv, const spawn_opts& opts = {});

std::string vlxrun_path();
proc_result run_vlxrun(const std::vector<std::string>& args, const spawn_opts& opts = {});

// Full path of a program in PATH, or "" when there is none.
std::string find_program(const std::string& name);

std::string slurp(const std::string& path);
void spit(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);
// Names in a folder, sorted, without "." and "..".
std::vector<std::string> list_dir(const std::string& dir);

// A fresh folder under $TMPDIR (or /tmp), removed with its contents at scope exit.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Converts the inputs with one headless soffice run into outdir/<name>.<fmt>, using a fresh
// user installation under work. Returns "" on success, else what went wrong (a missing output
// file, a load error on stderr, a timeout).
std::string lo_convert(const std::vector<std::string>& inputs, const std::string& fmt,
                       const std::string& outdir, const std::string& work);
// Base name of path with its extension replaced by ext (".pdf").
std::string swap_ext(const std::string& path, const std::string& outdir, const std::string& ext);

// pdftotext of a PDF (UTF-8, reading order), or "" on failure; page 0 means all pages.
std::string pdf_text(const std::string& pdf, int page = 0);
// Page count from pdfinfo, 0 on failure.
int pdf_pages(const std::string& pdf);
// content.xml of an ODT, or "" on failure.
std::string odt_content(const std::string& odt);

size_t count_of(const std::string& s, const std::string& what);

} // namespace e2e
