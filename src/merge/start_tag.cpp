// SPDX-License-Identifier: MIT
#include "merge/start_tag.h"

namespace quillon {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view localPart(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

}  // namespace

const WrittenAttribute* WrittenStartTag::Find(std::string_view name) const {
    for (const WrittenAttribute& a : attributes)
        if (a.name == name) return &a;
    // The loader names attributes without their prefix when namespaces are
    // ignored.
    if (name.find(':') == std::string_view::npos) {
        for (const WrittenAttribute& a : attributes)
            if (localPart(a.name) == name) return &a;
    }
    return nullptr;
}

WrittenStartTag SplitStartTag(std::string_view text, std::uint64_t at) {
    WrittenStartTag tag;
    const std::uint64_t n = text.size();
    std::uint64_t i = at + 1;
    tag.nameBegin = i;
    while (i < n && !isSpace(text[i]) && text[i] != '/' && text[i] != '>') ++i;
    tag.nameEnd = tag.insertAt = i;
    while (i < n) {
        const std::uint64_t space = i;
        while (i < n && isSpace(text[i])) ++i;
        if (i >= n || text[i] == '/' || text[i] == '>') break;
        WrittenAttribute a;
        a.spaceBegin = space;
        a.begin = i;
        while (i < n && text[i] != '=' && !isSpace(text[i])) ++i;
        a.name = text.substr(a.begin, i - a.begin);
        while (i < n && text[i] != '"' && text[i] != '\'') ++i;
        if (i >= n) break;
        const std::size_t close = text.find(text[i], i + 1);
        i = close == std::string_view::npos ? n : close + 1;
        a.end = tag.insertAt = i;
        tag.attributes.push_back(a);
    }
    while (i < n && text[i] != '>') ++i;
    tag.end = i < n ? i + 1 : n;
    return tag;
}

}  // namespace quillon
