// The conversion run that the writers' library links in reports errors through the program's
// error handler; this test program has none, so errors only end the test.
#include "tk_errh.h"

#include <stdexcept>

void error_handler::handle(const tk_exception& e, bool)
{
    throw std::runtime_error(e.message);
}
