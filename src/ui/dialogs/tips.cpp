// SPDX-License-Identifier: MIT
#include "ui/dialogs/tips.h"

#include <array>

namespace quillon {
namespace {

constexpr std::array<std::u16string_view, kLastTip - kFirstTip + 1> kTips{{
    u"You can load XML files, by using drag and drop operations.",
    u"You can reload and re-compare both XML files, by pressing Shift-F5.",
    u"You can compare XML files using Key Elements, by selecting the element and pressing F2.",
    u"You can customize the fonts and colors of the XML tree, by choosing Options from the XML menu and "
    u"selecting Colors.",
    u"You can change format and encoding of the XML file into DOS or ANSI formats, by loading XML file "
    u"and selecting the Encoding of the output XML file.",
    u"You can load an XML file into the left Tree View by pressing Ctrl-L.",
    u"You can convert XML files into CSV, by saving it as CSV file.",
    u"You can change the encoding of the output XML file, by choosing Options from the XML menu and "
    u"selecting the Output file tab.",
    u"You can go to the previous deleted element on the same level, by pressing Ctrl-Shift-F11.",
    u"You can open an XML file with external application like IE. Choose Options from the XML menu and "
    u"select that option on the Output file tab. Then select the root element and press F8.",
    u"You can save the XML Element, by selecting the element and pressing F8.",
    u"You can save the whole XML file, by selecting the root element and pressing F8.",
    u"You can go to the previous changed element on the same level, by pressing Ctrl-Shift-F10.",
    u"You can transfer data from SQL server into XML, by importing from SQL server and saving XML file.",
    u"You can load an XML file into the right Tree View by pressing Ctrl-R.",
    u"You can convert XML files from ANSI format into Unicode or UTF-8 formats, by loading XML file and "
    u"changing the Encoding of the output XML file.",
    u"You can convert data from SQL server into CSV file, by importing from SQL server and exporting to "
    u"Excel.",
    u"You can navigate through the differences, by clicking on arrows on the Toolbar.",
    u"You can convert from CSV  into XML, by loading CSV file and saving it as XML file.",
    u"You can merge two XML files, by comparing them and merging. For merging files select the root "
    u"element and choose Merge XML files from the File menu. For merging elements select the appropriate "
    u"element.",
    u"You can go to the next changed element on the same level, by pressing Ctrl-F10.",
    u"You can compare XML from the WEB services or from FTP servers, by typing the URL starting with "
    u"http:// or ftp://.",
    u"You can replace two XML elements from both XML Trees. Select the element you want to replace with, "
    u"then select an element you want to be replaced and choose 'Insert and Replace' and 'Replace Element "
    u"with' from the XML menu.",
    u"You can go to the next deleted element on the same level, by pressing Ctrl-F11.",
    u"You can compare only two XML Elements, by selecting them within both files and pressing F6.",
    u"You can ignore all elements with the specified name, by choosing the element and pressing F7.",
    u"The shortcut menu has all commands available at the current moment. You can display it, by "
    u"selecting an element and clicking on the right button of the mouse.",
    u"You can compare XML files ignoring attributes of Elements.",
    u"During loading XML file Quillon validates the XML schema. You can change this behavior, by choosing "
    u"Options from the XML menu and selecting Validation and changing validations options.",
    u"If you hold down the Ctrl key, you can navigate through the differences on one level without "
    u"expanding elements.",
    u"You can synchronize (replace different sub-elements) an XML element with another one. Select an "
    u"initial element, then select an element you want to be changed and choose 'Insert and Replace' and "
    u"'Synchronize Elements' from the XML menu.",
    u"You can round  numbers at normalization of numeric fields, by choosing Options from the XML menu "
    u"and selecting Normalization and specifying normalization options.",
    u"You can omit the time part at normalization of dates and times, by choosing Options from the XML "
    u"menu and selecting Normalization and then the Only Date option.",
    u"You can ignore one particular element, by choosing the element and pressing F9.",
    u"You can save differences between XML files, by comparing them and choosing Save Differences from "
    u"the File menu.",
    u"You can use the fastest way of comparison (strict mode), by choosing Options from the XML menu and "
    u"selecting Strict Mode on the Comparison tab.",
    u"You can compare files using key elements (unique sub element), by choosing the element and pressing "
    u"F2.",
    u"You can omit the date part at normalization of dates and times, by choosing Options from XML menu "
    u"and selecting Normalization and selecting Only Time option.",
    u"You can compare XML files with ignoring of the specified Elements.",
    u"You can display only Differences, by choosing Only Differences from the View menu.",
    u"You can load two files with the same name from separate folders as one pair by selecting the Auto "
    u"load checkbox on the Toolbar.",
    u"You can ignore XML files by specified attributes, by choosing the element and pressing F7.",
    u"You can compare XML files by key attribute, by choosing the element and pressing Shift-F2.",
}};

}  // namespace

std::int32_t ValidTip(std::int32_t tip) {
    return tip >= kFirstTip && tip <= kLastTip ? tip : kFirstTip;
}

std::int32_t NextTip(std::int32_t tip) {
    return (tip == kLastTip || tip == 0) ? kFirstTip : tip + 1;
}

std::u16string_view TipText(std::int32_t tip) {
    return kTips[std::size_t(ValidTip(tip) - kFirstTip)];
}

}  // namespace quillon
