#include "pdf_setup_log.h"

#include "tk_log.h"

#include <ErrorCodes.h>
#include <PDFDoc.h>
#include <XRef.h>

void pdf_log_setup(PDFDoc& doc, bool standard_security)
{
    const int err = doc.getErrorCode();
    if (err == errOpenFile)
        return;
    tk_log(1, "PDFDoc::setup");
    if (!doc.getXRef() || !doc.getXRef()->isOk())
        return;
    tk_log(1, "PDFDoc::checkEncryption");
    const bool refused = err == errEncrypted;
    if (refused && !standard_security)
        return; // no handler for its security filter
    if (standard_security) {
        tk_log(2, "SecurityHandler::checkEncryption");
        tk_log(1, "'authorize' returns %d", refused ? 0 : 1);
        if (refused) {
            tk_log(1, "authData is NULL, i=%d", 0);
            return;
        }
        tk_log(1, "checkEncryption - END ***");
    }
    tk_log(1, "PDFDoc::checkEncryption - END ***");
    tk_log(1, "PDFDoc::setup - step #1");
    if (doc.isOk())
        tk_log(1, "PDFDoc::setup - step #2");
}
