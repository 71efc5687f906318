#include "vlx_conv.h"

#include "tk_log.h"
#include "tk_prof.h"

const std::vector<std::string>& vellix_convertor::profile_keys()
{
    static const std::vector<std::string> keys = {"src", "dest", "logfile", "password", "convert graphics",
                                                  "line breaks", "mode", "recognize tables", "pages"};
    return keys;
}

bool vellix_convertor::load_profile(const std::string& path)
{
    tk_log(2, "vellix_convertor::load_profile(%s)", path.c_str());
    tk_profile profile;
    if (!profile.load(path, profile_keys()))
        return false;
    std::vector<std::string> profiles = profile_files;
    profiles.push_back(path); // its own log file must not overwrite it either
    const vlx_profile_settings next = read_profile_settings(profile, profiles);
    profile_files = profiles;
    take_profile_settings(next);
    return true;
}

bool vellix_convertor::store_profile(const std::string& path)
{
    tk_log(2, "vellix_convertor::store_profile(%s)", path.c_str());
    tk_profile profile;
    if (!write_profile_values(profile))
        return false;
    return profile.store(path);
}

bool vellix_convertor::read_profile_values(tk_profile& profile)
{
    tk_log(1, "vellix_convertor::read_profile_values");
    take_profile_settings(read_profile_settings(profile, profile_files));
    return true;
}

vlx_profile_settings vellix_convertor::read_profile_settings(const tk_profile& profile,
                                                             const std::vector<std::string>& profiles) const
{
    vlx_profile_settings next;
    next.src = src;
    next.dest = dest;
    next.password = password;
    next.pages = pages;
    next.page_list = page_list;
    next.convert_graphics = convert_graphics;
    next.no_crlf_mode = no_crlf_mode;
    next.physLayout_mode = physLayout_mode;
    next.noframe_mode = noframe_mode;
    next.tables_mode = tables_mode;
    read_profile_names(profile, next.src, next.dest, next.logfile, profiles);
    auto value = [&](const char* key) { return profile.get_value(TK_GENERIC_SECTION, key); };

    std::string v = value("password");
    if (!v.empty())
        next.password = v;
    v = value("convert graphics");
    if (!v.empty())
        next.convert_graphics = v == "1";
    v = value("line breaks");
    if (!v.empty())
        next.no_crlf_mode = v == "0";
    v = value("mode");
    if (!v.empty()) {
        next.physLayout_mode = v == "1";
        next.noframe_mode = !next.physLayout_mode;
    }
    v = value("recognize tables");
    if (!v.empty())
        next.tables_mode = v == "1";
    v = value("pages");
    if (!v.empty()) {
        next.pages = v;
        next.page_list.clear();
        parse_page_range(v, next.page_list);
    }
    return next;
}

void vellix_convertor::take_profile_settings(const vlx_profile_settings& next)
{
    src = next.src;
    dest = next.dest;
    password = next.password;
    pages = next.pages;
    page_list = next.page_list;
    convert_graphics = next.convert_graphics;
    no_crlf_mode = next.no_crlf_mode;
    physLayout_mode = next.physLayout_mode;
    noframe_mode = next.noframe_mode;
    tables_mode = next.tables_mode;
    if (!next.logfile.empty())
        set_logfile(next.logfile); // checked already, with these names
}

bool vellix_convertor::write_profile_values(tk_profile& profile)
{
    tk_log(1, "vellix_convertor::write_profile_values");
    if (!tk_converter::store_profile(profile))
        return false;
    auto put = [&](const char* key, const std::string& v) {
        profile.set_value(TK_GENERIC_SECTION, key, v);
    };
    if (!password.empty())
        put("password", password);
    put("convert graphics", convert_graphics ? "1" : "0");
    put("line breaks", no_crlf_mode ? "0" : "1");
    put("mode", physLayout_mode ? "1" : "2");
    put("recognize tables", tables_mode ? "1" : "0");
    if (!pages.empty())
        put("pages", pages);
    return true;
}
