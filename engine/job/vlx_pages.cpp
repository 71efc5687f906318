#include "vlx_conv.h"

#include "tk_except.h"
#include "tk_log.h"
#include "tk_str.h"

#include <cctype>
#include <climits>

namespace {

[[noreturn]] void invalid_range()
{
    throw tk_exception(VLX_INVALID_PAGE_RANGE, 1);
}

// Reads a number the way atoi does (leading white space, a sign, digits up to
// the first non-digit, none giving 0), but a value that does not fit an int
// is refused rather than left undefined.
int page_number(const std::string& s)
{
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > INT_MAX)
            invalid_range();
    }
    return int(negative ? -value : value);
}

}  // namespace

void vellix_convertor::set_page_range(const std::string& text)
{
    tk_log(1, "vellix_convertor::set_page_range(%s)", text.c_str());
    page_list.clear();
    pages = text;
    parse_page_range(text, page_list);
}

void vellix_convertor::parse_page_range(const std::string& text, std::vector<int>& page_list)
{
    for (const std::string& raw : tk_split(text, ',')) {
        const std::string item = tk_trim(raw);
        if (item.find('-') == std::string::npos) {
            const int n = page_number(item);
            if (n <= 0 || page_list.size() >= VLX_MAX_PAGE_LIST)
                invalid_range();
            tk_log(1, "Store page #%d", n);
            page_list.push_back(n);
            continue;
        }
        tk_log(1, "Got page range: %s", item.c_str());
        const std::vector<std::string> ends = tk_split(item, '-');
        if (ends.size() != 2)
            invalid_range();
        const int a = page_number(ends[0]);
        const int b = page_number(ends[1]);
        if (a <= 0 || b <= 0 || b <= a)
            invalid_range();
        // checked before anything is appended, so a refused range adds nothing
        const long long span = static_cast<long long>(b) - a + 1;
        if (span > VLX_MAX_RANGE_PAGES ||
            page_list.size() + static_cast<size_t>(span) > VLX_MAX_PAGE_LIST)
            invalid_range();
        for (int n = a;; ++n) {
            tk_log(1, "Store page #%d", n);
            page_list.push_back(n);
            if (n == b)
                break;
        }
    }
}
