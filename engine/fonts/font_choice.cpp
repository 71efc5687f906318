#include "font_choice.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <string>
#include <tuple>

namespace {

using choice_key = std::tuple<bool, int, bool, int, long long, const std::string&, int>;

choice_key key_of(const font_entry& e, bool bold, bool italic)
{
    const int want_weight = bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    return choice_key(e.slanted != italic, std::abs(e.weight - want_weight), !e.outline,
                      std::abs(e.width - FC_WIDTH_NORMAL), -static_cast<long long>(e.version), e.path,
                      e.index);
}

} // namespace

int choose_font(const std::vector<font_entry>& entries, bool bold, bool italic)
{
    int best = -1;
    for (size_t i = 0; i < entries.size(); ++i)
        if (best < 0 || key_of(entries[i], bold, italic) < key_of(entries[size_t(best)], bold, italic))
            best = int(i);
    return best;
}
