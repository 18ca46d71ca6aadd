// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "merge/element_spans.h"
#include "merge/merged_text.h"
#include "merge/three_way_links.h"

namespace quillon {

// Two changes to the same thing, kept in the result as OURS's version with
// THEIRS's and BASE's recorded beside it.
struct MergeConflict {
    std::string path;  // of the element, as the listing names elements
    std::string what;  // "attribute version changed in ours and in theirs"
    std::size_t edit = 0;  // the insertion that opens it (MergedText::LineOf)
};

// The three documents of a merge, loaded and mapped onto their text. BASE's
// text is only needed to record a conflict, so it is mapped on first use.
struct MergeSources {
    const ElementSpans& ours;
    const ElementSpans& theirs;
    // BASE's spans, mapped when first asked; null (with the reason) when
    // they cannot be.
    std::function<const ElementSpans*(std::string& error)> base;
};

// Builds the merged text from the two comparisons: OURS's text with every
// change THEIRS made to BASE that OURS did not make, and the conflicts. A
// change on one side is taken, the same change on both is taken once, and
// two different changes to one attribute, one text or one element are a
// conflict. False only when BASE's text is needed and cannot be read.
bool MergeThreeWay(const ThreeWayLinks& links, const DocumentPane& ours, const MergeSources& sources,
                   MergedText& out, std::vector<MergeConflict>& conflicts, std::string& error);

}  // namespace quillon
