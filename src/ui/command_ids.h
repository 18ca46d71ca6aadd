// SPDX-License-Identifier: MIT
#pragma once

namespace quillon {

// Command numbers: one number per command, shared by its menu item, its
// accelerator, its toolbar button and its tooltip.
namespace cmd {
constexpr int OpenRight = 533;
constexpr int Exit = 534;
constexpr int About = 535;
constexpr int OpenLeft = 536;
constexpr int HelpTopics = 537;
constexpr int CompareFiles = 561;
constexpr int CompareElements = 562;
constexpr int NextDifference = 563;
constexpr int PreviousDifference = 564;
constexpr int NextDeleted = 565;
constexpr int PreviousDeleted = 566;
constexpr int Find = 567;
constexpr int SaveElement = 568;
constexpr int ViewElement = 569;
constexpr int IgnoreElements = 570;
constexpr int IgnoreParticular = 571;
constexpr int NextDifferenceSameLevel = 572;
constexpr int PreviousDifferenceSameLevel = 573;
constexpr int NextDeletedSameLevel = 574;
constexpr int PreviousDeletedSameLevel = 575;
constexpr int Options = 580;
constexpr int SaveDifferences = 980;
constexpr int MergeFiles = 981;
constexpr int SaveCommon = 982;
constexpr int SaveChanged = 983;
constexpr int SaveDeleted = 984;
constexpr int SaveDeletedAndChanged = 985;
constexpr int EntireElement = 986;
constexpr int SaveEntireElements = 987;
constexpr int LoadEntireElements = 988;
constexpr int WebHome = 1039;
constexpr int FirstRecentFile = 1041;
constexpr int LastRecentFile = 1048;
constexpr int SplitHorizontally = 1055;
constexpr int SplitVertically = 1056;
constexpr int TreeFont = 1057;
constexpr int ElementWindowFont = 1058;
constexpr int IgnoredElements = 1073;
constexpr int KeyElement = 1080;
constexpr int KeyElementQuiet = 1081;
constexpr int SaveKeyElements = 1083;
constexpr int LoadKeyElements = 1084;
constexpr int ReloadFiles = 1085;
constexpr int ViewNormal = 1086;
constexpr int ViewOnlyDifferences = 1087;
constexpr int ViewOnlySimilarities = 1088;
constexpr int CheckForUpdates = 1571;
constexpr int TechnicalSupport = 1572;
constexpr int TipOfTheDay = 1573;
constexpr int ReplaceElement = 1581;
constexpr int SynchronizeElements = 1582;
constexpr int InsertElement = 1583;
constexpr int ExpandNodes = 1585;
constexpr int CollapseNodes = 1586;
constexpr int KeyAttribute = 1600;
constexpr int SaveReport = 1610;
// The commands of the aligned rows and of undoing edits.
constexpr int AlignedRows = 1620;
constexpr int NextChange = 1621;
constexpr int PreviousChange = 1622;
constexpr int Undo = 1623;
constexpr int Redo = 1624;
}  // namespace cmd

}  // namespace quillon
