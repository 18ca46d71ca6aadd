// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

struct DocumentPane;
struct Options;

// The options a comparison runs under. Each compare command copies them from
// the options record; the engine and the predicates used for painting read
// this copy until the next compare command.
struct CompareSnapshot {
    unsigned mode = 0;  // FlagComparsion: bit 0 ignore white space, bit 1 ignore case
    bool ignoreAttributes = false;
    bool ignoreValues = false;
    bool uniqueAttributes = false;
};

// The counters of the last comparison. They are 64 bits wide so that they
// never wrap, whatever the size of the two documents.
struct CompareCounters {
    std::uint64_t EqualPairs = 0;
    std::uint64_t ChangedPairs = 0;
    std::uint64_t IgnoredElements = 0;
    std::uint64_t OwnChangedPairs = 0;
};

// A key found from the data, for one element name: an attribute, or the
// text of one or two child elements.
struct InferredKeyUse {
    std::u16string element, attribute;     // attribute empty for a key in child elements
    std::vector<std::u16string> children;  // the key's child element names
    std::uint64_t groups = 0;              // sibling groups it paired
};

// Why a candidate that looked like a key was not taken.
enum class KeyRejection : std::uint8_t {
    PositionLike,          // numbers that follow document order: a counter, not an identity
    DisagreesWithContent,  // its pairs are less alike than the pairs content would form
};

// A candidate turned down, for one element name.
struct RejectedKeyUse {
    std::u16string element, candidate;  // candidate as KeyFieldsText words it
    KeyRejection reason;
    std::uint64_t groups = 0;
};

// How the last comparison paired, beyond the counters.
struct PairingReport {
    std::vector<InferredKeyUse> inferredKeys;
    std::vector<RejectedKeyUse> rejectedKeys;
    // Sibling groups whose similarity pairing stopped at the work limit and
    // paired the rest the cheaper way.
    std::uint64_t cappedGroups = 0;
};

// A key as the reports name it: "book@id", "item/guid",
// "dependency/groupId+artifactId".
std::u16string InferredKeyName(const InferredKeyUse& k);
// "position-like" or "disagrees with content".
std::u16string KeyRejectionText(KeyRejection reason);

// One line for the window's status bar: the inferred keys ("book@id,
// item/guid"), the candidates turned down and the capped groups; empty when
// there is nothing to say.
std::u16string PairingSummary(const PairingReport& r);

// The process-wide snapshot and counters.
CompareSnapshot& compareSnapshot();
CompareCounters& compareCounters();
PairingReport& pairingReport();

// Copies FlagComparsion, IgnoreAttributes, IgnoreValues and UniqueAttributes.
void TakeCompareSnapshot(const Options& o);
// Gives the records of both panes their hashes in the snapshot's comparison
// mode, before anything compares them.
void UseSnapshotMode(DocumentPane& left, DocumentPane& right);
// Sets the four counters to 0 and empties the pairing report.
void ResetCompareCounters();

}  // namespace quillon
