#ifndef VLX_TEXT_UNICODE_TYPE_H
#define VLX_TEXT_UNICODE_TYPE_H

#include <CharTypes.h>

namespace vlx {

// Strong direction of a character, as far as the page direction balance needs it.
// The library's own tables are not exported, so a small range table stands in.
bool unicodeTypeR(Unicode c);
bool unicodeTypeL(Unicode c);

} // namespace vlx

#endif
