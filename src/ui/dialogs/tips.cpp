// SPDX-License-Identifier: MIT
#include "ui/dialogs/tips.h"

#include <array>

namespace quillon {
namespace {

constexpr std::array<std::u16string_view, kLastTip - kFirstTip + 1> kTips{{
    u"You can load an XML file by dropping it on one of the two trees.",
    u"You can reload and compare both documents again by pressing Shift+F5.",
    u"You can pair repeated elements by a child that identifies them: select that child and press F2 to make it a key "
    u"element.",
    u"You can change the colours of the trees: choose Options from the XML menu and open the Colors page.",
    u"You can write a document in another encoding: choose Options from the XML menu, pick the encoding on the Output "
    u"file page, then select the root element and press F8.",
    u"You can load an XML file into the left tree by pressing Ctrl+L.",
    u"You can load an XML file into the right tree by pressing Ctrl+R.",
    u"You can choose how written XML files end their lines (none, CR LF, LF or CR) on the Output file page of the "
    u"Options.",
    u"You can go to the previous element without partner on the same level by pressing Ctrl+Shift+F11.",
    u"You can have every saved XML file opened in a program of your choice: turn it on at the Output file page of the "
    u"Options, then select an element and press F8.",
    u"You can save the selected element as an XML file by pressing F8.",
    u"You can save the whole document by selecting its root element and pressing F8.",
    u"You can go to the previous changed element on the same level by pressing Ctrl+Shift+F10.",
    u"You can search the current tree for a name, an attribute or a text by pressing Ctrl+F.",
    u"You can view the selected element as XML text by pressing F3. The viewer follows the selection until you close "
    u"it.",
    u"You can turn the tree font and the element viewer font to your liking with the Fonts submenu of the XML menu.",
    u"You can step through the differences with the arrow buttons on the toolbar.",
    u"You can save only the differences between the documents: compare them and choose Save Differences from the File "
    u"menu.",
    u"You can merge two documents: compare them, select the root element and choose Merge XML Files from the File "
    u"menu. Selecting another element merges only that element.",
    u"You can go to the next changed element on the same level by pressing Ctrl+F10.",
    u"You can compare documents straight from a web server or an FTP server: type an address starting with http:// or "
    u"ftp:// into the path box.",
    u"You can replace an element of one tree with an element of the other: select both and choose Replace Element with "
    u"from the Insert and Replace submenu of the XML menu.",
    u"You can go to the next element without partner on the same level by pressing Ctrl+F11.",
    u"You can compare just two elements: select one in each tree and press F6.",
    u"You can leave every element with a given name out of the comparison: select one and press F7.",
    u"The shortcut menu holds every command that applies to the selected element. Right-click an element to open it.",
    u"You can compare documents without looking at attributes: check Ignore attributes on the Comparison page of the "
    u"Options.",
    u"While an XML file loads, Quillon can validate it against its schema. Choose what is checked on the Validation "
    u"page of the Options.",
    u"If you hold down the Ctrl key, the navigation buttons step through the differences of one level without opening "
    u"elements.",
    u"You can synchronize an element with another one, taking over only the differing children: select both and choose "
    u"Synchronize Elements from the Insert and Replace submenu of the XML menu.",
    u"You can round numbers before they are compared: turn on Normalize on the Normalization page of the Options and "
    u"set the decimal places.",
    u"You can compare dates without their time of day: choose Only Date on the Normalization page of the Options.",
    u"You can leave one particular element out of the comparison: select it and press F9.",
    u"You can save the ignore rules to a file and load them again later from the Ignored elements dialog of the XML "
    u"menu.",
    u"You can use the fastest comparison, which pairs elements only as they stand: choose Strict on the Comparison "
    u"page of the Options.",
    u"You can pair repeated elements by an attribute that identifies them, such as an id: select the element and press "
    u"Shift+F2.",
    u"You can compare dates without their date part: choose Only Time on the Normalization page of the Options.",
    u"You can leave an element's text or chosen attributes out of the comparison, even only when a condition holds: "
    u"select it and press F7.",
    u"You can show only the differences of the documents by choosing Only Differences from the View menu.",
    u"You can load files with the same name from two folders as a pair: check AutoLoad on the toolbar.",
    u"You can have attributes such as xmlns or version ignored on every element: add them to the common attributes in "
    u"the Ignore Element dialog.",
    u"You can give the comparison options, rules and keys to quillon-diff for scripts: save them to a settings file "
    u"and name it on its command line.",
    u"You can place the two trees side by side or one above the other with the Window menu.",
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
