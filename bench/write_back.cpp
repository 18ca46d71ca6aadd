// SPDX-License-Identifier: MIT
// write_back: loads one document and writes it out again as "Save XML
// Element" on its root would, timing both in the same process.
//
//   write_back INPUT OUTPUT [ENCODING]
//
// ENCODING is a name from the writer's lists (default UTF-8). Prints
// "loaded in S s" and "written in S s".

#include <chrono>
#include <cstdio>
#include <string>

#include "load/load_document.h"
#include "load/xml_parser.h"
#include "model/doctype_info.h"
#include "model/document_pane.h"
#include "output/save_document.h"
#include "platform/utf8.h"
#include "settings/options.h"

int main(int argc, char** argv) {
    using namespace quillon;
    if (argc < 3) {
        std::fprintf(stderr, "usage: write_back INPUT OUTPUT [ENCODING]\n");
        return 2;
    }
    Options& o = options();
    ResetOptions(o, false);
    o.DisplayMessages = 0;
    XmlParser parser;
    DocumentPane pane;
    DoctypeInfo doctype;
    const LoadResult loaded = LoadDocument(parser, pane, doctype, FromUtf8(argv[1]));
    if (!loaded.ok) {
        std::fprintf(stderr, "write_back: %s: %s\n", argv[1], ToUtf8(loaded.message).c_str());
        return 2;
    }
    // The document's own declaration may have chosen an encoding; the
    // benchmark writes the one asked for.
    if (!SetEncodingByName(o, argc > 3 ? FromUtf8(argv[3]) : std::u16string(u"UTF-8"), true)) {
        std::fprintf(stderr, "write_back: unknown encoding\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const SaveResult saved = SaveXml(argv[2], kSaveElementCommand, *RootRecord(pane), &doctype, o);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!saved.written) {
        std::fprintf(stderr, "write_back: %s: %s\n", argv[2],
                     saved.error.empty() ? "could not be written" : ToUtf8(saved.error).c_str());
        return 2;
    }
    std::printf("%u elements, loaded in %.3f s\nwritten in %.3f s\n", loaded.elementCount, loaded.seconds, seconds);
    return 0;
}
