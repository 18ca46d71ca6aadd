// SPDX-License-Identifier: MIT
#include "support/load_xml.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "load/xml_parser.h"
#include "model/name_table.h"
#include "platform/utf8.h"

namespace quillon::test {
namespace {

struct TempFiles {
    std::vector<std::string> paths;
    ~TempFiles() {
        for (const auto& p : paths) std::remove(p.c_str());
    }
};

TempFiles& tempFiles() {
    static TempFiles files;
    return files;
}

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
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/quillon-test-XXXXXX";
    pattern += suffix;
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const int fd = ::mkstemps(buf.data(), int(suffix.size()));
    if (fd < 0) return {};
    ::close(fd);
    std::string path(buf.data());
    std::ofstream(path, std::ios::binary) << contents;
    tempFiles().paths.push_back(path);
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

std::u16string U(std::string_view s) { return FromUtf8(s); }

}  // namespace quillon::test
