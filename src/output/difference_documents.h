// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quillon {

struct ElementRecord;
class XmlWriter;

// The save commands that write derived documents, by command number.
enum DocumentMode : std::uint32_t {
    kModeDifferences = 980,
    kModeMerge = 981,
    kModeCommon = 982,
    kModeOnlyChanged = 983,
    kModeOnlyDeleted = 984,
    kModeDeletedAndChanged = 985,
};

// The element-by-element traversal: with whole, each element's own subtree
// (filtered from its children down when filter is set); without, a merged
// element whose partner's unmatched children follow its own.
void WriteFiltered(XmlWriter& writer, const ElementRecord& element, bool whole, std::uint32_t mode, bool filter,
                   bool insideEntire);

// One element of the merged traversal ("Save Differences", "Merge XML Files").
void MergeStep(XmlWriter& writer, const ElementRecord& element, std::uint32_t mode, bool filter, bool insideEntire);

// The body of a save command from the selected element: 980/981 the merged
// traversal, 982-985 the filtered one, anything else the plain subtree.
void WriteDocumentBody(XmlWriter& writer, const ElementRecord& selected, std::uint32_t command);

}  // namespace quillon
