#pragma once

#include <array>
#include <cstdint>

// The indexed colours both workbook formats share: Excel 97's default palette, entries 8 to 63
// (MS-XLS 2.5.161 Icv; ECMA-376-1 §18.8.27 indexedColors).
class IndexedColors {
public:
    static constexpr int kFirstIndex = 8;
    static constexpr int kCount = 56;

    // The 56 default entries as 0xRRGGBB, for indices 8..63 in order.
    static const std::array<std::uint32_t, kCount>& defaults();
};
