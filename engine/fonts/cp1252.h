#pragma once
#include <cstdint>

// The Unicode code point of a Windows-1252 byte. The five undefined bytes (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 controls of the same value, as Windows converts them.
std::uint32_t cp1252_to_unicode(unsigned char byte);
