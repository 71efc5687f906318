#include "pdf_glob.h"

#include "tk_log.h"

#include <Error.h>
#include <GlobalParams.h>

#include <memory>

namespace {

void pdf_error_to_log(ErrorCategory category, Goffset pos, const char* msg)
{
    // msg is already formatted and may hold '%' from the document itself
    if (pos >= 0)
        tk_log(1, "PDF error (%lld): %s", static_cast<long long>(pos), msg ? msg : "");
    else
        tk_log(1, "PDF error: %s", msg ? msg : "");
}

}  // namespace

void pdf_route_errors_to_log()
{
    setErrorCallback(pdf_error_to_log);
}

void pdf_create_global_params()
{
    pdf_route_errors_to_log();
    globalParams = std::make_unique<GlobalParams>();
    // poppler defaults to UTF-8; the text layout counts columns in Latin1 bytes
    globalParams->setTextEncoding("Latin1");
}

void pdf_delete_global_params()
{
    globalParams.reset();
}
