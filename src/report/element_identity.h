// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

struct ElementRecord;

// What tells a reader which element a report line is about, beside its path.
struct IdentityField {
    enum class Kind : std::uint8_t { Attribute, Child, Text };
    Kind kind = Kind::Attribute;
    std::u16string name;   // the attribute's or the child element's; empty for Text
    std::u16string value;  // cut to a readable length at a word boundary
};

// The element's key, in this order: the key the user set (key elements below
// it, or the key attribute), the key the last comparison inferred for its
// name (an attribute, or the text of child elements), identifying attributes
// it carries (id, name, key, type, ...), the text of a key-like child (id,
// name, guid, artifactId, ...), else the start of its own text, else its
// first attribute. Empty when nothing identifies it. The text listing, JSON and HTML all name elements
// by it; for a changed element (ownText false) the start of its own text is
// left out, as its changes show the text.
std::vector<IdentityField> IdentifyElement(const ElementRecord& record, bool ownText = true);

// The fields as one line of a listing (UTF-8): @id=u2, artifactId=junit,
// "Run the setup...": values with blanks, quotes or line breaks are quoted,
// and line breaks and tabs written as \n and \t.
std::string IdentityText(const std::vector<IdentityField>& fields);

// A value inside a listing's double quotes: \n, \t, \r, \" and \\ escaped, so
// one entry stays one line (UTF-8 in, UTF-8 out).
std::string EscapedForLine(std::string_view utf8);

// The value cut to about width characters at a word boundary, with "..."
// where something was left out.
std::u16string CutAtWord(std::u16string_view value, std::size_t width);

}  // namespace quillon
