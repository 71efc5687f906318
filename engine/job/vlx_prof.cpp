#include "vlx_conv.h"

#include "tk_log.h"
#include "tk_prof.h"

bool vellix_convertor::load_profile(const std::string& path)
{
    tk_log(2, "vellix_convertor::load_profile(%s)", path.c_str());
    tk_profile profile;
    if (!profile.load(path))
        return false;
    profile_files.push_back(path);
    return read_profile_values(profile);
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
    if (!tk_converter::load_profile(profile))
        return false;
    auto value = [&](const char* key) { return profile.get_value(TK_GENERIC_SECTION, key); };

    std::string v = value("password");
    if (!v.empty())
        password = v;
    v = value("convert graphics");
    if (!v.empty())
        convert_graphics = v == "1";
    v = value("line breaks");
    if (!v.empty())
        no_crlf_mode = v == "0";
    v = value("mode");
    if (!v.empty()) {
        physLayout_mode = v == "1";
        noframe_mode = !physLayout_mode;
    }
    v = value("recognize tables");
    if (!v.empty())
        tables_mode = v == "1";
    v = value("pages");
    if (!v.empty())
        set_page_range(v);
    return true;
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
