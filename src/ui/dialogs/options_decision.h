// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quillon {

struct Options;

// The options whose change decides what follows the Options dialog, as they
// were when it opened.
struct OptionsNote {
    // Compared by the engine: a change compares again. The order of elements
    // decides the pairing as much as the level does, so it counts too.
    std::uint32_t IgnoreValues, UniqueAttributes, IgnoreAttributes, FlagComparsion, CompareLevel, IgnoreOrderElements;
    std::uint32_t PairRelatedOnly;
    // Applied while a document loads: a change needs a reload.
    std::int32_t DecimalPlaces;
    std::uint32_t FlagNormalizeDate, NormalizeNumber, NormalizeDate, IgnoreNamespaces;
    // Decides the item heights.
    std::uint32_t DisplayFullMode;
};

OptionsNote NoteOptions(const Options& o);

// What the main window does after the dialog.
enum class AfterOptions {
    Nothing,    // the dialog was cancelled
    AskReload,  // ReloadFiles with the "Options were changed" question, nothing else
    Recompare,  // Compare Files
    Repaint,    // item heights from the font, repaint, pane-view reset
};

struct OptionsOutcome {
    AfterOptions action = AfterOptions::Nothing;
    // DisplayFullMode changed: set the item heights below each pane's top
    // element before comparing or repainting. Never set with AskReload, since
    // a reload rebuilds the heights anyway.
    bool itemHeightsChanged = false;
};

// The decision after OK. documentLoaded: either pane holds a document.
OptionsOutcome DecideAfterOptions(const OptionsNote& before, const Options& now, bool documentLoaded);

}  // namespace quillon
