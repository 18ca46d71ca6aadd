// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace quillon {

struct DocumentPane;

// The differences of a compared pair as lines for people, one entry per
// difference in document order:
//
//   ~ /inventory[1]/item[3] @sku=A-7  line 12 -> 13
//       @unit: "kg" -> "g"
//       text: "5 boxes" -> "6 boxes"
//   - /inventory[1]/item[4] @sku=B-2  line 14 (deleted, 3 elements)
//   + /inventory[1]/item[6] @sku=C-9  line 17 (added, 1 element)
//
// "-" is only in the left (old) document, "+" only in the right (new) one;
// after the path, what identifies the element (IdentifyElement).
struct ListingStyle {
    bool color = false;           // ANSI colours: red left, green right, yellow changed
    std::size_t valueWidth = 80;  // longer values are cut around their changes
    // Lines of a deleted or added subtree printed under its entry (0: none).
    std::size_t subtreeLines = 0;
};

// What a listing or report counted.
struct DifferenceTally {
    std::uint64_t changed = 0;          // changed entries
    std::uint64_t deleted = 0;          // deleted entries
    std::uint64_t added = 0;            // added entries
    std::uint64_t deletedElements = 0;  // elements in the deleted subtrees
    std::uint64_t addedElements = 0;
    bool any() const { return changed + deleted + added != 0; }
};

// The line a listing ends with: "N deleted, M added, K changed, I ignored",
// counting elements (deleted and added subtrees whole, changed elements with
// changes of their own, ignored elements).
std::string TallyLine(const DifferenceTally& tally, std::uint64_t ignored);

// Writes the listing of the last comparison of the two panes; title (if not
// empty) is written as its first line(s) when there is any difference. This
// is what the console program prints; folder and git use call it per pair.
DifferenceTally WriteDifferenceListing(std::ostream& out, const DocumentPane& left, const DocumentPane& right,
                                       std::string_view title, const ListingStyle& style = {});

// The tally of the listing without writing it.
DifferenceTally TallyDifferences(const DocumentPane& left, const DocumentPane& right);

// What the console ends a comparison with: the tally line when the documents
// differ, else the result sentence ("The two XML Documents are identical").
std::string ClosingLine(const DifferenceTally& tally, std::u16string_view resultSentence);

}  // namespace quillon
