#include "vlx_testsupport.h"

namespace vlxtest {

bool rtf_braces_ok(const std::string& rtf, std::string* why)
{
    auto fail = [&](size_t at, const std::string& text) {
        if (why)
            *why = text + " at byte " + std::to_string(at);
        return false;
    };
    if (rtf.empty() || rtf[0] != '{')
        return fail(0, "document does not start with '{'");
    long depth = 0;
    size_t i = 0;
    for (; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '\\') {
            if (i + 1 < rtf.size()) {
                const char n = rtf[i + 1];
                if (n == '\\' || n == '{' || n == '}')
                    ++i;
                else if (n == '\'')
                    i += 3;  // \'hh
            }
            continue;
        }
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                break;
        }
    }
    if (depth > 0)
        return fail(rtf.size(), "unclosed group, depth " + std::to_string(depth));
    for (size_t k = i + 1; k < rtf.size(); ++k) {
        const char c = rtf[k];
        if (c != ' ' && c != '\r' && c != '\n' && c != '\t' && c != '\0')
            return fail(k, "text after the document's closing brace");
    }
    if (why)
        why->clear();
    return true;
}

}  // namespace vlxtest
