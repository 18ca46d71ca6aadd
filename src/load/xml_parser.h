// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "load/event_relay.h"
#include "load/external_entities.h"
#include "load/parser_memory.h"
#include "load/sax_handlers.h"

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class SAX2XMLReader;
class SecurityManager;
XERCES_CPP_NAMESPACE_END

namespace quillon {

struct Options;

// The one XML parser of the program: created once, reused for every load.
// Construction initialises the parser library; destruction shuts it down.
class XmlParser {
public:
    XmlParser();
    ~XmlParser();
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;

    // Sets the reader's features from the options (before every parse).
    void ConfigureParser(const Options& o);

    // Parses a file path or an http:// / ftp:// address (fetched with the
    // options' timeout). Parser exceptions are caught and reported through
    // `failure`; returns false then. LoadCancelled escapes only as a false
    // return with cancelled() set; a load ended for a reason the user is
    // told (a bound exceeded, a failed fetch) sets aborted().
    bool Parse(std::u16string_view systemId, std::u16string* failure);

    SAX2CountHandlers& handlers() { return m_handlers; }
    // Confines every external read to regular files below the folder and
    // keeps the parser off the network (for fuzzing); empty lifts it.
    void ConfineExternalReads(std::u16string folder) { m_confinedTo = std::move(folder); }
    bool aborted() const { return m_aborted; }
    // Documents of at least this many bytes are built on a second thread
    // while they are parsed (EventRelay); tests lower it to use the relay on
    // small documents.
    void SetRelayFromBytes(std::uint64_t bytes) { m_relayFromBytes = bytes; }
    // Below about a megabyte, starting a thread costs more than it saves.
    static constexpr std::uint64_t kRelayFromBytes = std::uint64_t(1) << 20;
    bool relayedLastParse() const { return m_relay.relayedLastParse(); }
    // External entities the last parse did not read.
    std::uint32_t entitiesNotRead() const { return m_gate.refusedCount(); }
    // The last parse validated without the schemas the document names: one
    // could not be read.
    bool schemasNotRead() const { return m_schemasNotRead; }

private:
    ParserMemory m_memory;
    SAX2CountHandlers m_handlers;
    EventRelay m_relay{m_handlers};
    std::uint64_t m_relayFromBytes = kRelayFromBytes;
    std::unique_ptr<xercesc::SecurityManager> m_security;
    ExternalEntityGate m_gate;
    xercesc::SAX2XMLReader* m_reader = nullptr;
    bool m_validating = false;
    bool m_schemasNotRead = false;
    bool m_aborted = false;
    std::u16string m_confinedTo;
};

}  // namespace quillon
