#pragma once
// Compresses a page raster into a JPEG stream (quality 100, baseline, standard tables).
#include <cstdio>

// PNM magic of the only row format written: packed 8-bit RGB ('P' '6').
inline constexpr int JPEG_FORMAT_RGB = 0x5036;

// rows: height rows of width * 3 bytes, top row first, samples 0..maxval.
// Writes from the current position of out, which is left open at the end of the stream.
// Returns 0; a failure of the JPEG library (write error, image too large or empty) throws a
// level-1 tk_exception carrying the library's message, after the compressor is released.
int write_jpeg(int width, int height, int maxval, int format, unsigned char* rows, FILE* out);
