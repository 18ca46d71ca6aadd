// SPDX-License-Identifier: MIT
#include "compare/key_inference.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>

namespace quillon {
namespace {

struct Attribute {
    std::u16string_view name, value;
};

// Calls fn for each attribute of the record's marked-up attribute string.
template <class Fn>
void forEachAttribute(const ElementRecord& r, Fn&& fn) {
    const std::u16string_view s = r.attributesView();
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == u' ') ++i;
        const std::size_t start = i;
        while (i < s.size() && s[i] != u'=' && s[i] != kValueOpen) ++i;
        const std::size_t open = s.find(kValueOpen, i);
        if (open == std::u16string_view::npos) return;
        const std::size_t close = s.find(kValueClose, open + 1);
        if (close == std::u16string_view::npos) return;
        if (i > start) fn(Attribute{s.substr(start, i - start), s.substr(open + 1, close - open - 1)});
        i = close + 1;
    }
}

std::uint64_t digest(std::u16string_view v) {
    return std::uint64_t(std::hash<std::u16string_view>{}(v)) | 1u;  // never 0: 0 means "absent"
}

// What one side says about each attribute name.
struct Seen {
    std::u16string_view name;
    std::uint32_t order = 0;  // first seen, for a stable choice
    std::vector<std::uint64_t> values;
};

std::uint32_t collect(ElementRecord* const* a, std::uint32_t n, std::unordered_map<std::uint64_t, Seen>& seen) {
    std::uint32_t members = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        if (!a[i]) continue;
        ++members;
        forEachAttribute(*a[i], [&](const Attribute& at) {
            auto [it, added] = seen.try_emplace(digest(at.name));
            if (added) {
                it->second.name = at.name;
                it->second.order = std::uint32_t(seen.size());
            }
            it->second.values.push_back(digest(at.value));
        });
    }
    return members;
}

// Carried by at least two members and half the group, and unique among them.
bool keyLike(std::vector<std::uint64_t>& values, std::uint32_t members) {
    if (values.size() < 2 || values.size() * 2 < members) return false;
    std::sort(values.begin(), values.end());
    return std::adjacent_find(values.begin(), values.end()) == values.end();
}

std::size_t sharedCount(const std::vector<std::uint64_t>& a, const std::vector<std::uint64_t>& b) {
    std::size_t shared = 0;
    for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        if (a[i] < b[j]) {
            ++i;
        } else if (b[j] < a[i]) {
            ++j;
        } else {
            ++shared, ++i, ++j;
        }
    }
    return shared;
}

std::vector<std::uint64_t> valuesOf(ElementRecord* const* a, std::uint32_t n, std::u16string_view name) {
    std::vector<std::uint64_t> out(n, 0);
    for (std::uint32_t i = 0; i < n; ++i) {
        if (!a[i]) continue;
        forEachAttribute(*a[i], [&](const Attribute& at) {
            if (at.name == name) out[i] = digest(at.value);
        });
    }
    return out;
}

}  // namespace

InferredKey InferKeyAttribute(ElementRecord* const* x, std::uint32_t nX, ElementRecord* const* y, std::uint32_t nY) {
    std::unordered_map<std::uint64_t, Seen> seenX, seenY;
    const std::uint32_t membersX = collect(x, nX, seenX);
    const std::uint32_t membersY = collect(y, nY, seenY);
    InferredKey key;
    if (membersX < 2 || membersY < 2) return key;
    const Seen* best = nullptr;
    std::size_t bestShared = 0;
    for (auto& [nameDigest, sx] : seenX) {
        const auto it = seenY.find(nameDigest);
        if (it == seenY.end() || sx.name != it->second.name) continue;
        Seen& sy = it->second;
        if (!keyLike(sx.values, membersX) || !keyLike(sy.values, membersY)) continue;
        // Values that rarely recur on the other side (a time stamp rewritten
        // everywhere) say nothing about which records are the same.
        const std::size_t shared = sharedCount(sx.values, sy.values);
        if (shared == 0 || shared * 2 < std::min(sx.values.size(), sy.values.size())) continue;
        if (!best || shared > bestShared || (shared == bestShared && sx.order < best->order)) {
            best = &sx;
            bestShared = shared;
        }
    }
    if (!best) return key;
    key.attribute = std::u16string(best->name);
    key.valuesX = valuesOf(x, nX, best->name);
    key.valuesY = valuesOf(y, nY, best->name);
    return key;
}

bool ShareAttributeValue(const ElementRecord& a, const ElementRecord& b) {
    if (!a.attributesText || !b.attributesText) return false;
    bool shared = false;
    forEachAttribute(a, [&](const Attribute& at) {
        if (shared) return;
        forEachAttribute(b, [&](const Attribute& bt) {
            if (!shared && at.name == bt.name && at.value == bt.value) shared = true;
        });
    });
    return shared;
}

}  // namespace quillon
