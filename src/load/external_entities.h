// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include <xercesc/util/XMLEntityResolver.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class ReaderMgr;
XERCES_CPP_NAMESPACE_END

namespace quillon {

// What a document may read besides itself, decided for one load.
struct ExternalReadPolicy {
    std::u16string documentId;      // the path or address being loaded
    bool documentFromNetwork = false;
    bool resolveEntities = false;   // the ResolveEntities option
    bool validating = false;        // the validation options ask for the DTD and schemas
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
// The external DTD subset is read when validating. Schemas are read only
// when validating, and then only regular local files, or network ones when
// the document came from there; a schema that cannot be had throws
// SchemaUnavailable, and the parse starts again without schemas. External
// entities, general or parameter (also those of the external DTD), are
// read only with ResolveEntities on, and then only regular local files (or
// network ones when the document came from there). A refused entity reads
// as empty; its reference is kept in the text.
class ExternalEntityGate : public xercesc::XMLEntityResolver {
public:
    static constexpr std::size_t kMaxDeclaredNames = 10000;

    void Reset(ExternalReadPolicy policy);
    // The most bytes one fetch may bring (kept across Reset).
    void SetFetchLimit(std::uint64_t bytes) { m_fetchLimit = bytes; }
    // The DOCTYPE's system identifier, from the lexical handler.
    void NoteDoctype(std::u16string_view systemId) { m_doctypeSystemId = systemId; }
    // The parser enters or leaves the external DTD subset.
    void EnterDtdSubset() { ++m_dtdDepth; }
    void LeaveDtdSubset() {
        if (m_dtdDepth) --m_dtdDepth;
    }

    xercesc::InputSource* resolveEntity(xercesc::XMLResourceIdentifier* resource) override;

    // A declaration of the document type was reported; entityValue when it
    // declared an internal entity. An external entity read since the last
    // declaration and ended before this one was included in a literal:
    // when that literal is an entity's value, text of another resource now
    // stands in the document type, where it could make up an address, so
    // from here on nothing more is read (see m_tainted).
    void NoteDeclaration(bool entityValue);
    bool tainted() const { return m_tainted; }

    // True once when the entity resolved last was refused.
    bool TakeRefused() {
        const bool r = m_lastRefused;
        m_lastRefused = false;
        return r;
    }
    std::uint32_t refusedCount() const { return m_refused; }

private:
    xercesc::InputSource* refuse(const XMLCh* systemId);
    // The text at a network address; null when it could not be fetched (why in *error).
    xercesc::InputSource* fetch(const std::u16string& address, std::string* error);
    xercesc::InputSource* declaringSubset(const XMLCh* systemId);
    xercesc::InputSource* schema(const std::u16string& where);
    xercesc::InputSource* dtdSubset(const std::u16string& where, const XMLCh* systemId);
    xercesc::InputSource* entity(const xercesc::XMLResourceIdentifier& resource, const std::u16string& where);
    // Outside the folder reads are confined to, if any.
    bool outsideConfinement(const std::u16string& where) const;

    // Notes an entity whose text was handed to the parser.
    void noteEntityRead(const xercesc::XMLResourceIdentifier& resource);

    ExternalReadPolicy m_policy;
    std::uint64_t m_fetchLimit = 0;
    // The parser's stack of readers, which says how deep in entities it is
    // (from the first resource asked for), and the depths at which entities
    // were read that no declaration was reported from yet.
    const xercesc::ReaderMgr* m_readers = nullptr;
    std::vector<std::size_t> m_openReads;
    // Text read from another resource may have become part of an entity
    // value: no address is built from it, so nothing more is read.
    bool m_tainted = false;
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

// A notice for a document that loaded without the schema it names, under
// validation: the schema could not be read (not a regular local file, or on
// the network for a local document). Every way of loading shows this one.
inline constexpr std::u16string_view kSchemaNotRead =
    u"A schema the document names could not be read, so the document was not validated against it "
    u"(set \"Schema validation\" to \"Never\" or use --validate never to compare without validation)";

// A message for loads that refused external entities.
inline constexpr std::u16string_view kEntitiesNotLoaded =
    u"External entities were not loaded; their references stay in the text (turn on \"Read external "
    u"entities\" or use --resolve-entities to read them)";

}  // namespace quillon
