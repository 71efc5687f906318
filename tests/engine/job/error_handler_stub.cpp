// The engine's tests run without a program around them: errors are recorded, not shown.
#include "tk_errh.h"

#include <string>

std::string last_handled_error;

void error_handler::handle(const tk_exception& e, bool)
{
    last_handled_error = e.what();
}
