// SPDX-License-Identifier: MIT
#include "model/hashes.h"

namespace quillon {
namespace {

struct FoldTable {
    std::array<char16_t, 65536> map{};

    void shift(unsigned from, unsigned to, int delta) {
        for (unsigned c = from; c <= to; ++c) map[c] = char16_t(int(c) + delta);
    }
    // Every code point of the range with the given parity maps to the one before it.
    void pairs(unsigned from, unsigned to, unsigned parity) {
        for (unsigned c = from; c <= to; ++c)
            if ((c & 1u) == parity) map[c] = char16_t(c - 1);
    }
    void one(unsigned from, unsigned to) { map[from] = char16_t(to); }

    FoldTable() {
        for (unsigned c = 0; c < map.size(); ++c) map[c] = char16_t(c);
        constexpr unsigned odd = 1, even = 0;
        shift(0x61, 0x7A, -32);
        one(0xB5, 0x39C);
        shift(0xE0, 0xFE, -32);
        one(0xFF, 0x178);
        pairs(0x101, 0x12F, odd);
        one(0x131, 0x49);
        pairs(0x133, 0x137, odd);
        pairs(0x13A, 0x148, even);
        pairs(0x14B, 0x177, odd);
        pairs(0x17A, 0x17E, even);
        one(0x17F, 0x53);
        pairs(0x183, 0x185, odd);
        one(0x188, 0x187);
        one(0x18C, 0x18B);
        one(0x192, 0x191);
        one(0x195, 0x1F6);
        one(0x199, 0x198);
        one(0x19E, 0x220);
        pairs(0x1A1, 0x1A5, odd);
        one(0x1A8, 0x1A7);
        one(0x1AD, 0x1AC);
        one(0x1B0, 0x1AF);
        pairs(0x1B4, 0x1B6, even);
        one(0x1B9, 0x1B8);
        one(0x1BD, 0x1BC);
        one(0x1BF, 0x1F7);
        one(0x1C6, 0x1C4);
        one(0x1C9, 0x1C7);
        one(0x1CC, 0x1CA);
        pairs(0x1CE, 0x1DC, even);
        one(0x1DD, 0x18E);
        pairs(0x1DF, 0x1EF, odd);
        one(0x1F3, 0x1F1);
        one(0x1F5, 0x1F4);
        pairs(0x1F9, 0x233, odd);
        shift(0x3B1, 0x3CB, -32);
        pairs(0x3D9, 0x3EF, odd);
        shift(0x430, 0x44F, -32);
        shift(0x450, 0x45F, -80);
        pairs(0x461, 0x4BF, odd);
        pairs(0x4C2, 0x4CE, even);
        pairs(0x4D1, 0x50F, odd);
        shift(0x561, 0x586, -48);
        pairs(0x1E01, 0x1E99, odd);
        one(0x1E9B, 0x1E60);
        pairs(0x1E9D, 0x1EF9, odd);
        shift(0x1F00, 0x1F07, 8);
        shift(0x1F10, 0x1F15, 8);
        shift(0x1F20, 0x1F27, 8);
        shift(0x1F30, 0x1F37, 8);
        shift(0x1F40, 0x1F45, 8);
        one(0x1F51, 0x1F59);
        one(0x1F53, 0x1F5B);
        one(0x1F55, 0x1F5D);
        one(0x1F57, 0x1F5F);
        shift(0x1F60, 0x1F67, 8);
        shift(0xFF41, 0xFF5A, -32);
    }
};

const FoldTable& foldTable() {
    static const FoldTable table;
    return table;
}

inline std::uint32_t step38(std::uint32_t h, std::uint32_t x) { return h * 38u + (h >> 24) + x; }

}  // namespace

char16_t UpperFold(char16_t c) { return foldTable().map[c]; }

std::uint32_t Hash38(std::u16string_view s) {
    std::uint32_t h = 0;
    for (char16_t c : s) h = step38(h, c);
    return h;
}

std::uint32_t Hash38Folded(std::u16string_view s) {
    const auto& map = foldTable().map;
    std::uint32_t h = 0;
    for (char16_t c : s) h = step38(h, map[c]);
    return h;
}

Hash20Result Hash20(std::u16string_view s) {
    std::uint32_t g = 0;
    for (char16_t c : s) g = (g * 20u + c) & 0xFFFFu;
    return {std::uint16_t(g), std::uint32_t(s.size())};
}

Hash20Result Hash20Folded(std::u16string_view s) {
    const auto& map = foldTable().map;
    std::uint32_t g = 0;
    for (char16_t c : s) g = (g * 20u + map[c]) & 0xFFFFu;
    return {std::uint16_t(g), std::uint32_t(s.size())};
}

ValueSignatureResult ValueSignature(std::u16string_view value) {
    const auto& map = foldTable().map;
    std::uint32_t h0 = 0, h1 = 0, h2 = 0, h3 = 0;
    std::uint32_t g0 = 0, g1 = 0, g2 = 0, g3 = 0;
    std::uint32_t weight = 0;
    for (char16_t c : value) {
        h0 = step38(h0, c);
        g0 = g0 * 20u + c;
        if (IsXmlSpace(c)) {
            // White space is not folded; it only enters the "all characters" variants.
            h2 = step38(h2, c);
            g2 = g2 * 20u + c;
            continue;
        }
        const std::uint32_t f = map[c];
        h1 = step38(h1, c);
        g1 = g1 * 20u + c;
        h2 = step38(h2, f);
        g2 = g2 * 20u + f;
        h3 = step38(h3, f);
        g3 = g3 * 20u + f;
        ++weight;
    }
    ValueSignatureResult r;
    r.h = {h0, h1, h2, h3};
    auto reduce = [](std::uint32_t g) { return std::uint16_t(((g >> 16) ^ g) & 0xFFFFu); };
    r.w = {reduce(g0), reduce(g1), reduce(g2), reduce(g3)};
    r.weight = weight;
    return r;
}

}  // namespace quillon
