#pragma once
// The opening's steps in the log. The library runs them inside the document's constructor, so
// they are logged afterwards, as far as the document shows they were reached.
class PDFDoc;

// standard_security: the document names the "Standard" security handler.
void pdf_log_setup(PDFDoc& doc, bool standard_security);
