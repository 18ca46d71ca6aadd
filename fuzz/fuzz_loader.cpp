// SPDX-License-Identifier: MIT
// Fuzzes loading: any bytes go through the parser and the tree builder,
// DOCTYPEs, SYSTEM and PUBLIC identifiers and entities included. The first
// byte picks the mode: continue after fatal errors, read external entities
// (confined to a scratch folder that holds a few entity files; the network
// is never reached), write the output documents, build the tree on the
// relay's second thread (which otherwise starts only at a megabyte), and
// validate (reading the external DTD and schemas). A document that loads
// is then compared with a second load of itself, which must come out
// identical under every order setting.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "compare/compare_commands.h"
#include "load/load_document.h"
#include "load/xml_parser.h"
#include "model/doctype_info.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "output/difference_documents.h"
#include "output/save_document.h"
#include "platform/notifier.h"
#include "platform/utf8.h"
#include "settings/options.h"

#include "quiet_notifier.h"

using namespace quillon;

namespace {

void writeFile(const std::string& path, const void* data, std::size_t size) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

struct State {
    State() {
        folder = "/tmp/quillon-fuzz-" + std::to_string(::getpid());
        ::mkdir(folder.c_str(), 0700);
        path = folder + "/doc.xml";
        output = folder + "/out.xml";
        // What SYSTEM "ent.txt", "ent.dtd" or "sub.xml" find when entities are read.
        writeFile(folder + "/ent.txt", "<b>entity</b>", 13);
        writeFile(folder + "/ent.dtd", "<!ENTITY e 'x&f;'><!ENTITY f 'y'>", 33);
        writeFile(folder + "/sub.xml", "<?xml version='1.0'?><s>&e;</s>", 31);
        setNotifier(&quiet);
        ResetOptions(options(), false);
        parser.ConfineExternalReads(FromUtf8(folder));
    }
    ~State() {
        for (const char* name : {"/doc.xml", "/out.xml", "/ent.txt", "/ent.dtd", "/sub.xml"})
            std::remove((folder + name).c_str());
        ::rmdir(folder.c_str());
    }
    QuietNotifier quiet;
    XmlParser parser;
    std::string folder, path, output;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static State state;
    const std::uint8_t mode = data[0];
    writeFile(state.path, data + 1, size - 1);
    options().ContinueAfterFatalError = (mode & 1) != 0;
    options().ResolveEntities = (mode & 2) != 0;
    options().SchemaValidation = (mode & 128) ? 0 : 1;
    state.parser.SetRelayFromBytes((mode & 64) ? 0 : XmlParser::kRelayFromBytes);

    DocumentPane left, right;
    DoctypeInfo d1, d2;
    if (!LoadDocument(state.parser, left, d1, FromUtf8(state.path)).ok) return 0;
    if (!LoadDocument(state.parser, right, d2, FromUtf8(state.path)).ok) std::abort();
    CompareHost host;
    for (std::uint32_t order = 0; order < 2; ++order) {
        options().IgnoreOrderElements = order;
        if (!CompareFiles(&left, &right, host)) std::abort();
        if (compareCounters().ChangedPairs != 0) std::abort();
    }
    if (mode & 4) {
        static constexpr std::uint32_t commands[] = {kModeDifferences, kModeMerge,        kModeCommon,
                                                     kModeOnlyChanged, kModeOnlyDeleted, kSaveElementCommand};
        const ElementRecord* root = RootRecord(left);
        if (root) SaveXml(state.output, commands[(mode >> 3) % 6], *root, &d1, options());
    }
    return 0;
}
