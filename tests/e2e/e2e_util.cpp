#include "e2e.h"

#include <filesystem>

namespace e2e {

bool exists(const std::string& path) { return std::filesystem::exists(path); }

size_t count_of(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + what.size()))
        ++n;
    return n;
}

std::string swap_ext(const std::string& path, const std::string& outdir, const std::string& ext)
{
    return outdir + "/" + std::filesystem::path(path).stem().string() + ext;
}

// What cmd writes to stdout; its complaints are not the test's.
static std::string quiet_output(const std::string& cmd)
{
    std::string dropped;
    return vlxtest::command_output(cmd, nullptr, &dropped);
}

std::string pdf_text(const std::string& pdf, int page)
{
    std::string range = page > 0 ? "-f " + std::to_string(page) + " -l " + std::to_string(page) + " " : "";
    return quiet_output("pdftotext -enc UTF-8 " + range + "'" + pdf + "' -");
}

double pdf_word_top(const std::string& pdf, const std::string& word)
{
    std::string html = quiet_output("pdftotext -bbox -f 1 -l 1 '" + pdf + "' -");
    size_t end = html.find(">" + word + "</word>");
    size_t at = html.rfind("yMin=\"", end);
    if (end == std::string::npos || at == std::string::npos)
        return -1;
    return std::atof(html.c_str() + at + 6);
}

int pdf_pages(const std::string& pdf)
{
    return std::atoi(vlxtest::command_output("pdfinfo '" + pdf + "' | sed -n 's/^Pages: *//p'").c_str());
}

std::string odt_content(const std::string& odt)
{
    return quiet_output("unzip -p '" + odt + "' content.xml");
}

} // namespace e2e
