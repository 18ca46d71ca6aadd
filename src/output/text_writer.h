// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/output_file.h"

namespace quillon {

// The code page a family-1/2 EncodingString stands for: its decimal digits in
// order, the first replaced by 2 when the name begins with "ISO"
// ("ISO-8859-5" 28595, "Windows-1251" 1251, "CP866" 866). 0 when the name has
// no digits, meaning the system's ANSI code page. When that code page does
// not exist but iconv knows the name itself ("ISO-8859-15", "KOI8-R",
// "ASCII"), the name is used as it is.
std::uint32_t DerivedCodePage(std::u16string_view encodingString);

// Letters, digits, ".", "_" and "-", beginning with a letter: the names an
// XML declaration may carry.
bool IsXmlEncodingName(std::u16string_view name);

// The iconv name of a code page number (0: the system ANSI code page, CP1252).
std::string IconvNameOfCodePage(std::uint32_t codePage);

// What a code page does with a character it cannot represent.
enum class Unmappable {
    DefaultCharacter,  // "?" (settings and list files)
    Reference,         // an XML character reference, legal in text and values
    Refuse,            // nothing can stand in (names): the write reports failure
};

// Turns wide text into the bytes of one encoding family and appends them to a
// file: the only way text reaches a file. Families 0-2 convert through iconv;
// 3 is UTF-8; 4 UTF-16 little-endian without byte-order mark.
class TextWriter {
public:
    TextWriter(OutputFile& file, unsigned family, std::u16string_view encodingString);
    ~TextWriter();
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    // False when the family names a code page this system cannot convert to
    // (or the family is unknown); error() then says which. Nothing is written
    // by such a writer.
    bool valid() const { return m_valid; }
    const std::u16string& error() const { return m_error; }

    // False when a character had to be refused (only with Unmappable::Refuse).
    bool WriteText(std::u16string_view text, Unmappable unmappable = Unmappable::DefaultCharacter);
    // The same for Latin-1 text (one byte a character): the bytes written are
    // those of its UTF-16 form.
    bool WriteLatin1(std::span<const std::uint8_t> text, Unmappable unmappable = Unmappable::DefaultCharacter);
    OutputFile& file() { return m_file; }
    // The iconv name of the code page written (empty for families 3 and 4).
    const std::string& codePage() const { return m_codePage; }
    // ASCII is written as the same single bytes (false for families 3 and 4).
    bool asciiSame() const { return m_asciiSame; }

private:
    bool writeCodePage(std::u16string_view text, Unmappable unmappable);

    OutputFile& m_file;
    unsigned m_family;
    bool m_valid = false;
    bool m_asciiSame = false;  // the code page maps ASCII to itself
    void* m_iconv = reinterpret_cast<void*>(-1);
    std::string m_codePage;
    std::u16string m_error;
    std::u16string m_widened;  // Latin-1 text on its way to iconv
};

// Checks that a family and name can be written; the error text when not.
bool CheckEncoding(unsigned family, std::u16string_view encodingString, std::u16string* error = nullptr);

// One-off write of a text in a family (settings and list files).
void WriteText(OutputFile& file, std::u16string_view text, unsigned family,
               std::u16string_view encodingString = u"<none>");

// Converts single-byte text in the system's ANSI code page (CP1252) to wide
// characters; bytes it cannot map become U+FFFD.
std::u16string FromAnsi(std::string_view bytes);

}  // namespace quillon
