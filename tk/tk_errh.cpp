#include "tk_errh.h"

#include "tk_log.h"

error_handler::error_handler()
{
    tk_log(2, "error_handler::empty ctor");
}

error_handler::~error_handler() = default;
