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

#include <sys/stat.h>

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

void pdf_refuse_special_file(const std::string& file)
{
    // A FIFO would block the library's open forever, a device would be read without end.
    struct stat st;
    if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        tk_log(1, "PDFDoc: %s is not a regular file", file.c_str());
        throw tk_exception(PDF_CANNOT_READ_TEXT, 1);
    }
}

std::unique_ptr<PDFDoc> pdf_open_document(const std::string& given, const std::string& password)
{
    // the password itself never reaches the log
    tk_log(1, "PDFDoc::ctor(name=%s,pswd=%s)", given.c_str(), "***");
    pdf_refuse_special_file(given);
    const std::string file = pdf_openable_name(given);

    // Longer passwords overrun the library's buffers for AES-256 documents.
    const std::string pw = password.substr(0, PDF_MAX_PASSWORD);
    auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(file), GooString(pw), GooString(pw));
    pdf_log_setup(*doc, uses_standard_security(*doc));
    if (doc->isOk())
        return doc;

    const int err = doc->getErrorCode();
    if (err == errEncrypted && uses_standard_security(*doc))
        throw pdf_wrong_pswd_exception();
    throw tk_exception(PDF_CANNOT_READ_TEXT, 1);
}
