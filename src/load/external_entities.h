// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include <xercesc/util/XMLEntityResolver.hpp>

namespace quillon {

// What a document may read besides itself, decided for one load.
struct ExternalReadPolicy {
    std::u16string documentId;      // the path or address being loaded
    bool documentFromNetwork = false;
    bool resolveEntities = false;   // the ResolveEntities option
    bool loadExternalDtd = false;   // the validation options ask for the DTD
    unsigned timeoutSeconds = 30;
    // When set, nothing is read but regular files below this folder, and
    // nothing from the network (the fuzzer's scratch folder).
    std::u16string onlyUnder;
    // The names the document refers to, when the document is in memory
    // (fetched); a local document is read for them when needed.
    std::vector<std::u16string> referencedNames;
};

// Every external resource the parser wants passes through here, so that a
// document cannot read local files it names (external entities), hang on a
// FIFO or a silent server, or reach the network from a local document.
// The external DTD subset, the parameter entities inside it and schemas
// follow the validation options as before; external entities and external
// parameter entities are read only with ResolveEntities on, and then only
// regular local files (or network ones when the document came from there).
// A refused entity reads as empty; its reference is kept in the text.
class ExternalEntityGate : public xercesc::XMLEntityResolver {
public:
    static constexpr std::size_t kMaxDeclaredNames = 10000;

    void Reset(ExternalReadPolicy policy);
    // The DOCTYPE's system identifier, from the lexical handler.
    void NoteDoctype(std::u16string_view systemId) { m_doctypeSystemId = systemId; }
    // The parser enters or leaves the external DTD subset.
    void EnterDtdSubset() { ++m_dtdDepth; }
    void LeaveDtdSubset() {
        if (m_dtdDepth) --m_dtdDepth;
    }

    xercesc::InputSource* resolveEntity(xercesc::XMLResourceIdentifier* resource) override;

    // True once when the entity resolved last was refused.
    bool TakeRefused() {
        const bool r = m_lastRefused;
        m_lastRefused = false;
        return r;
    }
    std::uint32_t refusedCount() const { return m_refused; }

private:
    xercesc::InputSource* refuse(const XMLCh* systemId);
    xercesc::InputSource* fetch(const std::u16string& address, const XMLCh* systemId);
    xercesc::InputSource* declaringSubset(const XMLCh* systemId);

    ExternalReadPolicy m_policy;
    std::u16string m_doctypeSystemId;
    std::uint32_t m_dtdDepth = 0;
    std::uint32_t m_refused = 0;
    bool m_subsetGiven = false;
    bool m_lastRefused = false;
    // Texts handed to the parser by address; they live until the next load.
    std::deque<std::string> m_buffers;
};

// The names of the entity references (&name;) in an XML text, without the
// predefined five and character references; at most `limit` distinct names.
// ASCII-compatible and UTF-16 encodings are read; names are ASCII-only.
std::vector<std::u16string> ReferencedEntityNames(std::string_view bytes, std::size_t limit);

// Reads the referenced entity names of a local file (its first 256 MB).
std::vector<std::u16string> ReferencedEntityNamesOfFile(const std::string& path, std::size_t limit);

// A message for loads that refused external entities.
inline constexpr std::u16string_view kEntitiesNotLoaded =
    u"External entities were not loaded; their references stay in the text (turn on \"Read external "
    u"entities\" or use --resolve-entities to read them)";

}  // namespace quillon
