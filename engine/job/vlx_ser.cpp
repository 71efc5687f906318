#include "vlx_conv.h"

#include "tk_log.h"

bool vellix_convertor::serialize(bool store)
{
    tk_log(1, "serialize( %d )", store ? 1 : 0);
    if (settings_key.create(plat::hkey_current_user(), settings_key.path.c_str()) != 0)
        return false;

    // Loading starts from the store's own defaults, which a value that cannot
    // be read leaves in place; strings keep their text.
    if (!store) {
        convert_graphics = true;
        open_on_exit = true;
        noframe_mode = false;
        physLayout_mode = false;
        tables_mode = true;
        no_crlf_mode = false;
        xp_mode = false;
    }
    bool ok = true;
    ok &= settings_key.exchange("convert graphics", convert_graphics, store);
    ok &= settings_key.exchange("dest", dest, store);
    ok &= settings_key.exchange("open on exit", open_on_exit, store);
    ok &= settings_key.exchange("pages", pages, store);
    ok &= settings_key.exchange("password", password, store);
    ok &= settings_key.exchange("src", src, store);
    ok &= settings_key.exchange("noframe_mode", noframe_mode, store);
    ok &= settings_key.exchange("physLayout_mode", physLayout_mode, store);
    ok &= settings_key.exchange("tables_mode", tables_mode, store);
    ok &= settings_key.exchange("no_crlf_mode", no_crlf_mode, store);
    ok &= settings_key.exchange("xp_mode", xp_mode, store);
    settings_key.close();
    return ok;
}
