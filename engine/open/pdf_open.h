#pragma once
// Opening the source document with the system's own failure reporting.
#include <cstddef>
#include <memory>
#include <string>

class PDFDoc;

// Message of an unreadable document (level 1).
inline constexpr const char* PDF_CANNOT_READ_TEXT =
    "The program cannot read PDF document. It might be corrupted or\n"
    "does not comply with Adobe PDF format.";

// Passwords reach the library cut to this many bytes, the most a PDF password has.
inline constexpr size_t PDF_MAX_PASSWORD = 127;

// Throws tk_exception PDF_CANNOT_READ_TEXT when file exists and is neither a regular file nor a
// folder (a FIFO, socket or device), before a caller's own existence test could misname it.
void pdf_refuse_special_file(const std::string& file);

// Opens file with password as both owner and user password ("" for none).
// A missing file is tried in other letter cases first (pdf_name.h).
// Returns only a document that opened; otherwise throws, level 1:
//   pdf_wrong_pswd_exception ("Incorrect password") for a standard-security
//   document the password does not open,
//   tk_exception PDF_CANNOT_READ_TEXT for everything else (missing or
//   unreadable file, a file that is not a regular one, damaged document,
//   other security handlers).
// The library's global settings object must exist.
std::unique_ptr<PDFDoc> pdf_open_document(const std::string& file, const std::string& password);
