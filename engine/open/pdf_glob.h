#pragma once
// The PDF library's process-wide state: its global settings object and where
// its diagnostics go.

// Sends the library's diagnostics to the log writer instead of stderr.
// Safe to call more than once.
void pdf_route_errors_to_log();

// Creates the library's global settings object (no configuration file) with
// the "Latin1" text encoding, routing diagnostics to the log first.
// An existing object is replaced.
void pdf_create_global_params();

// Deletes the global settings object; nothing happens when there is none.
void pdf_delete_global_params();
