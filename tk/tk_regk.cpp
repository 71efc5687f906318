#include "tk_regk.h"

#include "tk_except.h"
#include "tk_log.h"

#include <cstring>
#include <vector>

namespace {
const char* const UNIT = "..\\TK/tk_regk";
}

tk_reg_key::tk_reg_key(const std::string& p) : path(p)
{
    tk_log(1, "tk_reg_key::ctor(%s)", p.c_str());
}

tk_reg_key::~tk_reg_key()
{
    release();
}

long tk_reg_key::create(plat::hkey parent, const char* subkey, const char* key_class, uint32_t options,
                        uint32_t access, void* security, uint32_t* disposition)
{
    tk_log(1, "tk_reg_key::create(%s)", subkey ? subkey : "(null)");
    tk_assert(parent != nullptr, UNIT, 64);
    plat::hkey opened = nullptr;
    uint32_t disp = 0;
    long rc = plat::reg_create_key(parent, subkey, &opened, &disp);
    if (disposition)
        *disposition = disp;
    if (rc != 0)
        return rc;
    long closed = close();
    key = opened;
    return closed;
}

long tk_reg_key::close()
{
    long rc = 0;
    if (key)
        rc = plat::reg_close_key(key);
    key = nullptr;
    return rc;
}

void tk_reg_key::release()
{
    close();
}

long tk_reg_key::get_value(uint32_t& value, const char* name)
{
    tk_assert(name != nullptr, UNIT, 98);
    tk_log(2, "tk_reg_key::get_value(ulong, %s)", name);
    uint32_t type = 0, size = 4;
    long rc = plat::reg_query_value(key, name, plat::REG_DWORD_TYPE, &type, &value, &size);
    tk_log(1, "type=%d, size=%d", int(type), int(size));
    return rc;
}

long tk_reg_key::get_value(char* buffer, const char* name, uint32_t* size)
{
    tk_assert(size != nullptr, UNIT, 115);
    tk_assert(name != nullptr, UNIT, 116);
    tk_log(2, "tk_reg_key::get_value(LPSTR, %s)", name);
    uint32_t type = 0;
    long rc = plat::reg_query_value(key, name, plat::REG_SZ_TYPE, &type, buffer, size);
    tk_log(1, "type=%d, size=%d", int(type), int(*size));
    return rc;
}

long tk_reg_key::set_value(uint32_t value, const char* name)
{
    tk_assert(key != nullptr, UNIT, 149);
    tk_log(1, "tk_reg_key::set_value(%u, %s)", unsigned(value), name ? name : "(null)");
    return plat::reg_set_value(key, name, plat::REG_DWORD_TYPE, &value, 4);
}

long tk_reg_key::set_value(const char* text, const char* name)
{
    tk_assert(text != nullptr, UNIT, 156);
    tk_assert(key != nullptr, UNIT, 157);
    tk_log(1, "tk_reg_key::set_value(LPSTR, %s)", name ? name : "(null)");
    return plat::reg_set_value(key, name, plat::REG_SZ_TYPE, text, uint32_t(std::strlen(text) + 1));
}

bool tk_reg_key::exchange(const char* name, bool& flag, bool store)
{
    if (!key)
        return false;
    if (store)
        return set_value(uint32_t(flag ? 1 : 0), name) == 0;
    uint32_t v = 0;
    if (get_value(v, name) != 0)
        return false;
    flag = v != 0;
    return true;
}

bool tk_reg_key::exchange(const char* name, std::string& text, bool store)
{
    if (!key)
        return false;
    if (store)
        return set_value(text.c_str(), name) == 0;
    uint32_t size = 0;
    if (get_value(nullptr, name, &size) != 0 || size == 0)
        return false;
    std::vector<char> buf(size);
    if (get_value(buf.data(), name, &size) != 0)
        return false;
    text.assign(buf.data(), strnlen(buf.data(), size));
    return true;
}
