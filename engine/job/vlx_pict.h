#pragma once
// The picture shape that puts a page's bitmap behind the page's text.
#include <string>

// Everything before the JPEG's hexadecimal digits, for a bitmap of w x h pixels rendered at
// resolution dots per inch.
std::string vlx_picture_head(int w, int h, int resolution);

// Everything after the JPEG's hexadecimal digits.
extern const char VLX_PICTURE_TAIL[];
