// SPDX-License-Identifier: MIT
// Fuzzes loading: any bytes go through the parser and the tree builder. A
// document that loads is then compared with a second load of itself, which
// must come out identical under every order setting.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "compare/compare_commands.h"
#include "load/doctype_info.h"
#include "load/load_document.h"
#include "load/xml_parser.h"
#include "model/document_pane.h"
#include "platform/notifier.h"
#include "platform/utf8.h"
#include "settings/options.h"

using namespace quillon;

namespace {

// Messages are expected (parse problems); none may reach stderr.
class QuietNotifier : public Notifier {
public:
    MessageAnswer show(std::u16string_view, std::u16string_view, MessageIcon, MessageButtons b) override {
        return DefaultAnswer(b);
    }
};

struct State {
    State() {
        path = "/tmp/quillon-fuzz-" + std::to_string(::getpid()) + ".xml";
        setNotifier(&quiet);
        ResetOptions(options(), false);
    }
    ~State() { std::remove(path.c_str()); }
    QuietNotifier quiet;
    XmlParser parser;
    std::string path;
};

}  // namespace

// Anything that could name an outside resource (an external entity, a DTD,
// a schema, an address) is skipped: the fuzzer must never reach the network.
static bool namesOutsideResource(const std::uint8_t* data, std::size_t size) {
    for (const char* word : {"SYSTEM", "PUBLIC", "Location", ":/"})
        if (::memmem(data, size, word, std::strlen(word))) return true;
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (namesOutsideResource(data, size)) return 0;
    static State state;
    std::FILE* f = std::fopen(state.path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

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
    return 0;
}
