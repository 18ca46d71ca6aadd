// SPDX-License-Identifier: MIT
#include "settings/encoding_names.h"

#include <array>

namespace quillon {
namespace {

constexpr std::array<std::u16string_view, 14> kAnsi = {
    u"ISO-8859-1",   u"ISO-8859-2",   u"ISO-8859-4",   u"ISO-8859-5",   u"ISO-8859-9",
    u"Windows-1250", u"Windows-1251", u"Windows-1252", u"Windows-1253", u"Windows-1254",
    u"Windows-1255", u"Windows-1256", u"Windows-1257", u"Windows-1258"};
constexpr std::array<std::u16string_view, 4> kDos = {u"CP437", u"CP850", u"CP852", u"CP866"};
constexpr std::array<std::u16string_view, 1> kUtf8 = {u"UTF-8"};
constexpr std::array<std::u16string_view, 2> kUnicode = {u"Unicode", u"UTF-16"};
constexpr std::array<std::u16string_view, 5> kLabels = {u"Default", u"ANSI", u"DOS", u"UTF-8",
                                                        u"Unicode"};

}  // namespace

std::span<const std::u16string_view> EncodingNames(unsigned family) {
    switch (family) {
        case 1: return kAnsi;
        case 2: return kDos;
        case 3: return kUtf8;
        case 4: return kUnicode;
        default: return {};
    }
}

std::u16string_view EncodingFamilyLabel(unsigned family) {
    return family < kLabels.size() ? kLabels[family] : std::u16string_view{};
}

}  // namespace quillon
