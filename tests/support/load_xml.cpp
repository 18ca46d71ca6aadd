// SPDX-License-Identifier: MIT
#include "support/load_xml.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "load/xml_parser.h"
#include "model/name_table.h"
#include "platform/utf8.h"
#include "support/temp_folder.h"

namespace quillon::test {
namespace {

XmlParser& parser() {
    // One parser per test program, as in the application. With
    // QUILLON_TEST_RELAY_ALL set, every document, however small, is built on
    // the relay's second thread, so that a whole suite runs through it.
    static XmlParser instance;
    static const bool relayAll = [] {
        const char* all = std::getenv("QUILLON_TEST_RELAY_ALL");
        if (all && *all) instance.SetRelayFromBytes(0);
        return all && *all;
    }();
    (void)relayAll;
    return instance;
}

}  // namespace

XmlParser& Parser() { return parser(); }

std::string WriteTempFile(std::string_view contents, std::string_view suffix) {
    // One folder for the program's files, and whatever tests put beside them.
    static const TempFolder folder;
    std::string pattern = folder.at("XXXXXX");
    pattern += suffix;
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const int fd = ::mkstemps(buf.data(), int(suffix.size()));
    if (fd < 0) return {};
    ::close(fd);
    std::string path(buf.data());
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

LoadResult LoadFile(DocumentPane& pane, const std::string& path, DoctypeInfo* doctype) {
    DoctypeInfo scratch;
    return LoadDocument(parser(), pane, doctype ? *doctype : scratch, FileNameFromBytes(path));
}

LoadResult LoadXml(DocumentPane& pane, std::string_view xml, DoctypeInfo* doctype) {
    return LoadFile(pane, WriteTempFile(xml), doctype);
}

ElementRecord* Find(const DocumentPane& pane, std::string_view path) {
    ElementRecord* r = RootRecord(pane);
    while (r && !path.empty()) {
        const std::size_t slash = path.find('/');
        const std::u16string step = U(path.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        ElementRecord* c = FirstChildRecord(r);
        while (c && !(c->name() && c->name()->view() == step)) c = NextSiblingRecord(c);
        r = c;
    }
    return r;
}

std::string TextOf(const DocumentPane& pane, std::string_view path) {
    const ElementRecord* r = Find(pane, path);
    return r ? ToUtf8(r->textUtf16()) : "<none>";
}

std::string Repeat(std::string_view s, int n) {
    std::string out;
    out.reserve(s.size() * std::size_t(n));
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::u16string U(std::string_view s) { return FromUtf8(s); }

}  // namespace quillon::test
