// SPDX-License-Identifier: MIT
#include "ui/dialogs/options_decision.h"

#include "settings/options.h"

namespace quillon {

OptionsNote NoteOptions(const Options& o) {
    return {o.IgnoreValues,    o.UniqueAttributes,    o.IgnoreAttributes, o.FlagComparsion,
            o.CompareLevel,    o.IgnoreOrderElements,
            o.PairRelatedOnly, o.DecimalPlaces,       o.FlagNormalizeDate, o.NormalizeNumber,
            o.NormalizeDate,   o.IgnoreNamespaces,    o.DisplayFullMode};
}

OptionsOutcome DecideAfterOptions(const OptionsNote& before, const Options& now, bool documentLoaded) {
    const OptionsNote after = NoteOptions(now);
    const bool loadOptionChanged =
        before.DecimalPlaces != after.DecimalPlaces || before.FlagNormalizeDate != after.FlagNormalizeDate ||
        before.NormalizeNumber != after.NormalizeNumber || before.NormalizeDate != after.NormalizeDate ||
        before.IgnoreNamespaces != after.IgnoreNamespaces;
    if (documentLoaded && loadOptionChanged) return {AfterOptions::AskReload, false};

    OptionsOutcome outcome;
    outcome.itemHeightsChanged = before.DisplayFullMode != after.DisplayFullMode;
    const bool compareOptionChanged =
        before.IgnoreValues != after.IgnoreValues || before.UniqueAttributes != after.UniqueAttributes ||
        before.IgnoreAttributes != after.IgnoreAttributes || before.FlagComparsion != after.FlagComparsion ||
        before.CompareLevel != after.CompareLevel || before.IgnoreOrderElements != after.IgnoreOrderElements ||
        before.PairRelatedOnly != after.PairRelatedOnly;
    outcome.action = compareOptionChanged ? AfterOptions::Recompare : AfterOptions::Repaint;
    return outcome;
}

}  // namespace quillon
