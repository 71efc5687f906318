#include "pdf_open.h"
#include "pdf_name.h"
#include "pdf_setup_log.h"

#include "tk_except.h"
#include "tk_log.h"

#include <ErrorCodes.h>
#include <goo/GooString.h>
#include <Object.h>
#include <PDFDoc.h>
#include <XRef.h>

namespace {

// A document refused with errEncrypted: a wrong password when the standard
// handler was there to refuse it, else an encryption we cannot handle.
bool uses_standard_security(PDFDoc& doc)
{
    XRef* xref = doc.getXRef();
    if (!xref)
        return false;
    Object* trailer = xref->getTrailerDict();
    if (!trailer || !trailer->isDict())
        return false;
    Object encrypt = trailer->dictLookup("Encrypt");
    if (!encrypt.isDict())
        return false;
    Object filter = encrypt.dictLookup("Filter");
    return filter.isName("Standard");
}

}  // namespace

std::unique_ptr<PDFDoc> pdf_open_document(const std::string& given, const std::string& password)
{
    // the password itself never reaches the log
    tk_log(1, "PDFDoc::ctor(name=%s,pswd=%s)", given.c_str(), "***");
    const std::string file = pdf_openable_name(given);

    auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(file), GooString(password),
                                        GooString(password));
    pdf_log_setup(*doc, uses_standard_security(*doc));
    if (doc->isOk())
        return doc;

    const int err = doc->getErrorCode();
    tk_log(1, "PDFDoc::setup failed, error %d", err);
    if (err == errEncrypted && uses_standard_security(*doc))
        throw pdf_wrong_pswd_exception();
    throw tk_exception(PDF_CANNOT_READ_TEXT, 1);
}
