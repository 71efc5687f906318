#include "TagWord.h"

#include <array>

namespace vlx {

namespace {

struct SymbolEntry {
    int pos;
    int code;
};

constexpr SymbolEntry kEntries[] = {
    {32, 0x0178},  {34, 0x2200},  {36, 0x2203},  {42, 0x2217},  {45, 0x2212},  {47, 0x2215},
    {65, 0x0391},  {66, 0x0392},  {67, 0x03A7},  {68, 0x0394},  {69, 0x0395},  {70, 0x03A6},
    {71, 0x0393},  {72, 0x0397},  {73, 0x0399},  {75, 0x039A},  {76, 0x039B},  {77, 0x039C},
    {78, 0x039D},  {79, 0x039F},  {80, 0x03A0},  {81, 0x0398},  {82, 0x03A1},  {83, 0x03A3},
    {84, 0x03A4},  {85, 0x03A5},  {86, 0x03C2},  {87, 0x2126},  {88, 0x039E},  {89, 0x03A8},
    {90, 0x0396},  {91, 0x2213},  {93, 0x2126},  {97, 0x03B1},  {98, 0x03B2},  {99, 0x03C7},
    {100, 0x03B4}, {101, 0x03B5}, {102, 0x03C6}, {103, 0x03B3}, {104, 0x03B7}, {105, 0x03B9},
    {106, 0x03C6}, {107, 0x03BA}, {108, 0x03BB}, {109, 0x03BC}, {110, 0x03BD}, {111, 0x03BF},
    {112, 0x03C0}, {113, 0x03B8}, {114, 0x03C1}, {115, 0x03C3}, {116, 0x03C4}, {117, 0x03C5},
    {119, 0x03C9}, {120, 0x03BE}, {121, 0x03C8}, {122, 0x03B6}, {123, 0xFB01}, {125, 0xFB00},
    {163, 0x2264}, {164, 0x2215}, {165, 0x221E}, {166, 0xFB03}, {171, 0x2194}, {172, 0x2190},
    {173, 0x2191}, {174, 0x2192}, {175, 0x2193}, {178, 0x201C}, {179, 0x2265}, {180, 0x2213},
    {182, 0x2202}, {183, 0x2219}, {185, 0x2260}, {186, 0x2261}, {187, 0x2248}, {188, 0x2026},
    {199, 0x2229}, {200, 0x222A}, {204, 0x2282}, {205, 0x2286}, {206, 0x2208}, {211, 0xF6D9},
    {212, 0xF8EA}, {213, 0x220F}, {214, 0x221A}, {215, 0x2219}, {217, 0x2227}, {218, 0x2228},
    {229, 0x2211}, {242, 0x222B}, {243, 0x2320}, {244, 0x2502}, {245, 0x2321},
};

constexpr std::array<int, 256> makeTable()
{
    std::array<int, 256> t{};
    for (const SymbolEntry& e : kEntries)
        t[e.pos] = e.code;
    return t;
}

} // namespace

const std::array<int, 256> symbolTable = makeTable();

int findSymbolPosition(unsigned int code)
{
    for (int p = 0; p < 256; ++p)
        if (symbolTable[p] != 0 && static_cast<unsigned int>(symbolTable[p]) == code)
            return p;
    return 0;
}

} // namespace vlx
