// SPDX-License-Identifier: MIT
#include "settings/settings_file.h"

#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "settings/options.h"

namespace quillon {
namespace {

// Reads the whole file; false with errno set when it cannot be opened or
// read (a folder opens but cannot be read).
bool readWholeFile(std::u16string_view path, std::string& bytes) {
    const int fd = ::open(FileNameBytes(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[64 * 1024];
    int error = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = errno;
        if (n <= 0) break;
        bytes.append(buffer, std::size_t(n));
    }
    ::close(fd);
    errno = error;
    return error == 0;
}

// Converts text to UTF-8; what cannot be converted becomes "?".
std::string toUtf8(const char* from, std::string_view text, std::size_t unit) {
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    std::string out;
    char buffer[4096];
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t oLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, sizeof buffer - oLeft);
        if (rc == std::size_t(-1) && errno != E2BIG) {
            const std::size_t skip = inLeft < unit ? inLeft : unit;
            in += skip;
            inLeft -= skip;
            out.push_back('?');
        }
    }
    iconv_close(cd);
    return out;
}

bool isUtf8(std::string_view text) {
    iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    char buffer[4096];
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    bool valid = true;
    while (valid && inLeft > 0) {
        char* o = buffer;
        std::size_t oLeft = sizeof buffer;
        if (iconv(cd, &in, &inLeft, &o, &oLeft) == std::size_t(-1) && errno != E2BIG) valid = false;
    }
    iconv_close(cd);
    return valid;
}

// The reader works on UTF-8, what text files on this system are written
// in. A file with a byte-order mark, or UTF-16 without one (every other byte
// of its ASCII keys is zero: written while the output encoding was
// "Unicode"), is converted whole. Otherwise each line that is not valid
// UTF-8 is taken as the single-byte code page that earlier versions wrote,
// so a list file holding blocks of both kinds reads right.
std::string utf8Text(std::string bytes) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE)
        return toUtf8("UTF-16LE", std::string_view(bytes).substr(2), 2);
    if (bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF)
        return toUtf8("UTF-16BE", std::string_view(bytes).substr(2), 2);
    if (bytes.size() >= 2 && at(0) != 0 && at(1) == 0) return toUtf8("UTF-16LE", bytes, 2);
    if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) bytes.erase(0, 3);
    if (isUtf8(bytes)) return bytes;
    std::string out;
    out.reserve(bytes.size());
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size() - 1) + 1;
        const std::string_view line = rest.substr(0, end);
        out += isUtf8(line) ? std::string(line) : toUtf8("CP1252", line, 1);
        rest.remove_prefix(end);
    }
    return out;
}

// An optional sign and decimal digits after leading blanks, stopping at the
// first other character; no digits read as 0. Held within 32 bits.
std::int32_t numberValue(std::string_view v) {
    std::size_t i = 0;
    while (i < v.size() && (v[i] == ' ' || v[i] == '\t' || v[i] == '\v' || v[i] == '\f')) ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
    long long n = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
        n = n * 10 + (v[i] - '0');
        if (n > 1LL << 32) n = 1LL << 32;  // far enough past either limit
    }
    if (negative) n = -n;
    if (n > INT_MAX) return INT_MAX;
    if (n < INT_MIN) return INT_MIN;
    return std::int32_t(n);
}

void setBit(std::uint32_t& bits, std::uint32_t bit, bool on) {
    if (on)
        bits |= bit;
    else
        bits &= ~bit;
}

constexpr std::uint32_t key(std::string_view name) {
    return SettingsKeyHash(name);
}

// Applies a key of the options section; false when the key is not one of them.
bool applyOption(std::uint32_t h, std::string_view value) {
    Options& o = options();
    const auto n = [&] { return numberValue(value); };
    const auto u = [&] { return std::uint32_t(numberValue(value)); };
    switch (h) {
        case key("XMLElementCaseSensitive"):
            o.XMLElementCaseSensitive = u();
            return true;
        case key("XMLAttributeCaseSensitive"):
            o.XMLAttributeCaseSensitive = u();
            return true;
        case key("DoNamespaces"):
            o.DoNamespaces = n() != 0;
            return true;
        case key("DoSchema"):
            o.DoSchema = n() != 0;
            return true;
        case key("SchemaFullChecking"):
            o.SchemaFullChecking = n() != 0;
            return true;
        case key("ValidationErrorAsFatal"):
            o.ValidationErrorAsFatal = n() != 0;
            return true;
        case key("ContinueAfterFatalError"):
            o.ContinueAfterFatalError = n() != 0;
            return true;
        case key("ResolveEntities"):
            o.ResolveEntities = n() != 0;
            return true;
        case key("MaxDepth"):
            if (n() > 0) o.MaxDepth = u();
            return true;
        case key("NetworkTimeout"):
            if (n() > 0) o.NetworkTimeout = u();
            return true;
        case key("SchemaValidation"):
            if (n() >= 0 && n() <= 2) o.SchemaValidation = u();
            return true;
        case key("CompareLevel"):
            if (n() >= 0 && n() <= 3) {
                o.CompareLevel = u();
                ApplyCompareLevel(o);
            }
            return true;
        case key("CaseSensitive"):
            setBit(o.FlagComparsion, kIgnoreCaseBit, n() == 0);
            return true;
        case key("IgnoreWhitespaces"):
            setBit(o.FlagComparsion, kIgnoreWhiteSpaceBit, n() != 0);
            return true;
        case key("IgnoreNamespaces"):
            o.IgnoreNamespaces = u();
            return true;
        case key("UniqueAttributes"):
            o.UniqueAttributes = u();
            return true;
        case key("PairRelatedOnly"):
            o.PairRelatedOnly = u();
            return true;
        case key("DecimalPlaces"):
            o.DecimalPlaces = n();
            return true;
        case key("NormalizeNumber"):
            o.NormalizeNumber = u();
            return true;
        case key("IgnoreAttributes"):
            o.IgnoreAttributes = u();
            return true;
        case key("IgnoreValues"):
            o.IgnoreValues = u();
            return true;
        case key("IgnoreOrderElements"):
            o.IgnoreOrderElements = u();
            return true;
        case key("IncludeIgnoredElements"):
            o.IncludeIgnoredElements = u();
            return true;
        case key("InsertPI"):
            o.InsertPI = u();
            return true;
        case key("HighlightChars"):
            o.HighlightChars = u();
            return true;
        case key("ExpandDiff"):
            o.ExpandDiff = u();
            return true;
        case key("AutoScroll"):
            o.AutoScroll = u();
            return true;
        case key("NormalizeDate"):
            SetDateCode(o, u());
            return true;
        case key("Encoding"):
            if (value.size() <= kSettingsTextLimit) SetEncodingByName(o, FromUtf8(value), true);
            return true;
        default:
            return false;
    }
}

struct RegisteredReader {
    SettingsSection section;
    std::uint32_t keyHash;
    SettingsLineReader read;
};

std::vector<RegisteredReader>& registeredReaders() {
    static std::vector<RegisteredReader> readers;
    return readers;
}

std::vector<void (*)()>& fileBoundaries() {
    static std::vector<void (*)()> hooks;
    return hooks;
}

void atFileBoundary() {
    for (const auto hook : fileBoundaries()) hook();
}

// The reader of a text-valued key of the chosen sections, or null.
SettingsLineReader sectionReader(std::uint32_t h, unsigned sections) {
    for (const RegisteredReader& r : registeredReaders())
        if ((sections & r.section) && r.keyHash == h) return r.read;
    return nullptr;
}

}  // namespace

void RegisterSettingsReader(SettingsSection section, std::string_view key, SettingsLineReader reader) {
    const std::uint32_t h = SettingsKeyHash(key);
    for (RegisteredReader& r : registeredReaders()) {
        if (r.section == section && r.keyHash == h) {
            r.read = reader;
            return;
        }
    }
    registeredReaders().push_back({section, h, reader});
}

void RegisterSettingsFileBoundary(void (*boundary)()) {
    std::vector<void (*)()>& hooks = fileBoundaries();
    if (std::find(hooks.begin(), hooks.end(), boundary) == hooks.end()) hooks.push_back(boundary);
}

bool ApplySettingsLine(std::uint32_t keyHash, std::string_view value, unsigned sections) {
    if ((sections & kOptionsSection) && applyOption(keyHash, value)) return true;
    const SettingsLineReader handler = sectionReader(keyHash, sections);
    if (!handler) return false;
    // A text that does not fit the 2048-character conversion is left out
    // whole: a cut path or condition would name something else.
    const std::u16string text = FromUtf8(value);
    if (text.size() <= kSettingsTextLimit) handler(text);
    return true;
}

unsigned ReadSettingsText(std::string bytes, unsigned sections) {
    bytes = utf8Text(std::move(bytes));
    bytes.push_back('\0');
    // Every file starts afresh: what a reader carries from line to line (the
    // rule a "Condition" line adds to) does not reach into another file.
    atFileBoundary();
    unsigned recognised = 0;
    char* data = bytes.data();
    std::uint32_t h = 0;
    const char* valueStart = nullptr;
    bool keyClosed = false;
    const auto endLine = [&] {
        if (h != 0 && valueStart && ApplySettingsLine(h, std::string_view(valueStart), sections)) ++recognised;
        h = 0;
        valueStart = nullptr;
        keyClosed = false;
    };
    for (std::size_t i = 0;; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b == 0) break;
        if (b == '\n' || b == '\r') {
            data[i] = '\0';
            endLine();
        } else if (b == '#') {
            data[i] = '\0';
            keyClosed = true;
        } else if (b == '=') {
            data[i] = '\0';
            valueStart = data + i + 1;
            keyClosed = true;
        } else if (!keyClosed && b >= 33 && b <= 127) {
            h = h * 17u + (b % 32u);
        }
    }
    endLine();
    atFileBoundary();
    return recognised;
}

bool ReadSettingsFile(std::u16string_view path, unsigned sections, SettingsFileReport* report) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        if (report) report->error = std::strerror(errno);
        return false;
    }
    const unsigned recognised = ReadSettingsText(std::move(bytes), sections);
    if (report) report->recognisedLines += recognised;
    return true;
}

}  // namespace quillon
