#include "pdf_glob.h"

#include <Error.h>
#include <GlobalParams.h>

#include <memory>

namespace {

void pdf_error_ignored(ErrorCategory, Goffset, const char*) {}

}  // namespace

void pdf_silence_errors()
{
    setErrorCallback(pdf_error_ignored);
}

void pdf_create_global_params()
{
    pdf_silence_errors();
    globalParams = std::make_unique<GlobalParams>();
    // poppler defaults to UTF-8; the text layout counts columns in Latin1 bytes
    globalParams->setTextEncoding("Latin1");
}

void pdf_delete_global_params()
{
    globalParams.reset();
}
