#pragma once
// The PDF library's process-wide state: its global settings object and its
// diagnostics.

// The library's diagnostics print nothing: a damaged document is the user's
// to hear about through the program's own messages. Safe to call more than once.
void pdf_silence_errors();

// Creates the library's global settings object (no configuration file) with
// the "Latin1" text encoding, silencing diagnostics first.
// An existing object is replaced.
void pdf_create_global_params();

// Deletes the global settings object; nothing happens when there is none.
void pdf_delete_global_params();
