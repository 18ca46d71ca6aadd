// SPDX-License-Identifier: MIT
#include "merge/element_spans.h"

#include <algorithm>
#include <cstring>

#include "model/document_pane.h"
#include "model/element_record.h"

namespace quillon {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

// The loaded name against the name as written: the loader may have dropped
// the prefix (namespaces ignored) or folded the case (names case-blind), so
// agreement up to those is agreement. Names outside ASCII are taken on trust;
// the count of elements still has to agree.
bool sameName(std::u16string_view loaded, std::string_view written) {
    if (const std::size_t colon = written.find(':'); colon != std::string_view::npos && loaded.find(u':') == loaded.npos)
        written.remove_prefix(colon + 1);
    if (loaded.size() != written.size()) {
        return std::any_of(loaded.begin(), loaded.end(), [](char16_t c) { return c >= 0x80; });
    }
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        if (loaded[i] >= 0x80) return true;
        if (asciiLower(char(loaded[i])) != asciiLower(written[i])) return false;
    }
    return true;
}

// Past the end of `what` from `from`, or the end of the text.
std::uint64_t past(std::string_view text, std::string_view what, std::uint64_t from) {
    const std::size_t at = text.find(what, from);
    return at == std::string_view::npos ? text.size() : at + what.size();
}

// Past a markup declaration: the document type declaration with its internal
// subset, whose quoted values, comments and instructions may hold any of
// "<", ">", "[" and "]".
std::uint64_t pastDeclaration(std::string_view text, std::uint64_t at) {
    int depth = 0;
    for (std::uint64_t i = at + 2; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = text.find(c, i + 1);
            if (close == std::string_view::npos) return text.size();
            i = close;
        } else if (c == '<' && text.compare(i, 4, "<!--") == 0) {
            i = past(text, "-->", i + 4) - 1;
        } else if (c == '<' && text.compare(i, 2, "<?") == 0) {
            i = past(text, "?>", i + 2) - 1;
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            --depth;
        } else if (c == '>' && depth <= 0) {
            return i + 1;
        }
    }
    return text.size();
}

}  // namespace

std::uint64_t TagEnd(std::string_view text, std::uint64_t at) {
    const char* s = text.data();
    const std::uint64_t n = text.size();
    for (std::uint64_t i = at + 1; i < n; ++i) {
        const char c = s[i];
        if (c == '>') return i + 1;
        if (c == '"' || c == '\'') {
            const void* close = std::memchr(s + i + 1, c, n - i - 1);
            if (!close) return n;
            i = std::uint64_t(static_cast<const char*>(close) - s);
        }
    }
    return n;
}

bool ElementSpans::Map(std::string_view text, const DocumentPane& pane, std::string& error) {
    m_text = text;
    const TreePane& tree = pane.tree;
    TreeItem limit = 0;
    for (TreeItem it = tree.Root(); it; it = tree.NextInOrder(it)) limit = std::max(limit, it);
    m_spans.assign(std::size_t(limit) + 1, ElementSpan{});

    const auto fail = [&](std::uint64_t at, const char* why) {
        const std::uint64_t line = 1 + std::uint64_t(std::count(text.begin(), text.begin() + std::ptrdiff_t(at), '\n'));
        error = "line " + std::to_string(line) + ": " + why +
                "; entity references that stand for elements cannot be merged";
        return false;
    };
    const char* s = text.data();
    const std::uint64_t n = text.size();
    std::vector<TreeItem> open;
    TreeItem next = tree.Root();
    for (std::uint64_t pos = 0; pos < n;) {
        const void* lt = std::memchr(s + pos, '<', n - pos);
        if (!lt) break;
        const std::uint64_t at = std::uint64_t(static_cast<const char*>(lt) - s);
        const char c = at + 1 < n ? s[at + 1] : '\0';
        if (c == '?') {
            pos = past(text, "?>", at + 2);
        } else if (c == '!') {
            if (text.compare(at, 4, "<!--") == 0)
                pos = past(text, "-->", at + 4);
            else if (text.compare(at, 9, "<![CDATA[") == 0)
                pos = past(text, "]]>", at + 9);
            else
                pos = pastDeclaration(text, at);
        } else if (c == '/') {
            if (open.empty()) return fail(at, "an end tag closes no element that was loaded");
            pos = past(text, ">", at + 2);
            m_spans[open.back()].end = pos;
            open.pop_back();
        } else {
            const ElementRecord* record = pane.record(next);
            if (!record || !record->name() || record->nameView().empty())
                return fail(at, "the text holds more elements than were loaded");
            std::uint64_t nameEnd = at + 1;
            while (nameEnd < n && !isSpace(s[nameEnd]) && s[nameEnd] != '/' && s[nameEnd] != '>') ++nameEnd;
            if (!sameName(record->nameView(), text.substr(at + 1, nameEnd - at - 1)))
                return fail(at, "an element of the text is not the one loaded there");
            pos = TagEnd(text, at);
            m_spans[next].begin = at;
            if (pos >= 2 && s[pos - 2] == '/')
                m_spans[next].end = pos;
            else
                open.push_back(next);
            next = tree.NextInOrder(next);
        }
    }
    const ElementRecord* rest = pane.record(next);
    if (!open.empty() || (rest && rest->name() && !rest->nameView().empty()))
        return fail(n, "the text holds fewer elements than were loaded");
    return true;
}

const ElementSpan& ElementSpans::operator[](const ElementRecord& record) const { return m_spans[record.item()]; }

std::string_view ElementSpans::Element(const ElementRecord& record) const {
    const ElementSpan& span = (*this)[record];
    return m_text.substr(span.begin, span.end - span.begin);
}

std::uint64_t ElementSpans::StartTagEnd(const ElementRecord& record) const {
    return TagEnd(m_text, (*this)[record].begin);
}

bool ElementSpans::IsEmptyTag(const ElementRecord& record) const {
    return StartTagEnd(record) == (*this)[record].end;
}

std::uint64_t ElementSpans::ContentEnd(const ElementRecord& record) const {
    const ElementSpan& span = (*this)[record];
    if (IsEmptyTag(record)) return span.end - 2;
    const void* lt = memrchr(m_text.data() + span.begin, '<', span.end - span.begin);
    return std::uint64_t(static_cast<const char*>(lt) - m_text.data());
}

std::uint64_t ElementSpans::LeadBegin(const ElementRecord& record) const {
    std::uint64_t at = (*this)[record].begin;
    while (at > 0 && isSpace(m_text[at - 1])) --at;
    return at;
}

}  // namespace quillon
