// SPDX-License-Identifier: MIT
#include "output/entire_elements.h"

#include <optional>
#include <vector>

#include "compare/identity.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "output/text_writer.h"
#include "settings/options.h"
#include "settings/settings_file.h"

namespace quillon {

namespace {

std::u16string pathTextOf(const ElementRecord& e) {
    std::vector<const ElementRecord*> chain;
    for (const ElementRecord* r = &e; r; r = ParentRecord(r)) chain.push_back(r);
    std::u16string text;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!text.empty()) text += u'>';
        text += (*it)->nameView();
    }
    return text;
}

// pathOf gives the path hash, asked for only once a name agrees: it takes
// a step a level for an element.
template <class PathOf>
int findEntry(std::uint32_t nameId, PathOf&& pathOf) {
    const EntireElementList& list = entireElements();
    std::optional<std::uint32_t> path;
    for (std::size_t i = 0; i < list.count; ++i) {
        if (list.entries[i].nameId != nameId) continue;
        if (!path) path = pathOf();
        if (list.entries[i].pathHash == *path) return int(i);
    }
    return -1;
}

int findEntry(const ElementRecord& e) {
    return findEntry(NameIdOf(e), [&] { return PathHashOf(e); });
}

std::u16string_view trim(std::u16string_view s) {
    while (!s.empty() && s.front() <= u' ') s.remove_prefix(1);
    while (!s.empty() && s.back() <= u' ') s.remove_suffix(1);
    return s;
}

}  // namespace

EntireElementList& entireElements() {
    static EntireElementList list;
    return list;
}

bool IsEntireElement(const ElementRecord& e) {
    return entireElements().count > 0 && findEntry(e) >= 0;
}

bool ToggleEntireElement(const ElementRecord& e) {
    EntireElementList& list = entireElements();
    const int i = findEntry(e);
    if (i >= 0) {
        // The last entry moves into the freed place.
        list.entries[std::size_t(i)] = std::move(list.entries[list.count - 1]);
        --list.count;
        return true;
    }
    if (list.count >= EntireElementList::kCapacity) return false;
    list.entries[list.count++] = {NameIdOf(e), PathHashOf(e), pathTextOf(e)};
    return true;
}

void ReadEntireElementLine(std::u16string_view value) {
    EntireElementList& list = entireElements();
    if (list.count >= EntireElementList::kCapacity || value.empty()) return;
    std::u16string text;
    for (char16_t c : value) {
        if (c <= u' ') continue;
        if (text.size() == 2047) break;
        text.push_back(c);
    }
    if (text.empty()) return;
    const bool caseSensitive = options().XMLElementCaseSensitive != 0;
    std::uint32_t hash = 0, id = 0;
    std::u16string_view rest = text;
    while (true) {
        const std::size_t gt = rest.find(u'>');
        const std::u16string_view piece = trim(rest.substr(0, gt));
        const NameEntry* entry = nameTable().InternName(piece, caseSensitive);
        id = entry ? entry->nameId : 0;
        hash = ChildPathHash(hash, id);
        if (gt == std::u16string_view::npos) break;
        rest.remove_prefix(gt + 1);
    }
    if (findEntry(id, [hash] { return hash; }) >= 0) return;
    list.entries[list.count++] = {id, hash, text};
}

void RegisterEntireElementReader() {
    RegisterSettingsReader(kEntireElementsSection, "EntireElement", ReadEntireElementLine);
}

bool SaveEntireElements(const std::string& path) {
    const EntireElementList& list = entireElements();
    if (list.count == 0) return true;
    OutputFile file(path, OutputFile::Mode::Append);
    if (!file.ok()) return false;
    TextWriter w(file, kEncodingUtf8, u"UTF-8");
    w.WriteText(u"\r\n#These rows were added by Quillon\r\n");
    for (std::size_t i = 0; i < list.count; ++i) {
        w.WriteText(u"EntireElement=");
        w.WriteText(list.entries[i].pathText);
        w.WriteText(u"\r\n");
    }
    return file.Commit();
}

}  // namespace quillon
