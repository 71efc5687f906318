#include "tk_cmdli.h"

#include "tk_except.h"
#include "tk_log.h"

#include <cstring>

namespace {
const char* const UNIT = "..\\TK/tk_cmdli";
}

const char* TCmdLine::value() const
{
    tk_assert(valid(), UNIT, 147);
    return value_;
}

int TCmdLine::option() const
{
    tk_assert(valid(), UNIT, 140);
    return option_id_;
}

ansi_cmd_line::ansi_cmd_line(int argc, char** argv, const cmd_option* table)
    : cursor_(argv + 1), remaining_(argc - 1)
{
    table_ = table;
    if (argc != 1)
        match(*cursor_);
}

void ansi_cmd_line::next()
{
    tk_assert(valid(), UNIT, 60);
    ++cursor_;
    --remaining_;
    if (valid())
        match(*cursor_);
}

void ansi_cmd_line::match(const char* arg)
{
    tk_assert(valid(), UNIT, 19);
    const cmd_option* row = table_;
    while (row->name[0] && std::strncmp(arg, row->name, std::strlen(row->name)) != 0)
        ++row;
    value_ = arg + std::strlen(row->name);
    if (row->name[0]) {
        option_id_ = row->id;
        return;
    }
    option_id_ = -1;
    tk_assert(non_option_count_ < MAX_NON_OPTIONS, UNIT, 52);
    non_options_[non_option_count_++] = arg;
}
