// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPixmap>
#include <QObject>
#include <QRect>
#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/dialogs/difference_colors.h"
#include "compare/value_differences.h"
#include "model/record_string.h"

namespace quillon {

struct ElementRecord;
class TreePane;

// The element the selection handling made current, and the partner it
// selected in the other pane; both are painted with the selected colours.
// With AutoSelect the partner takes the other pane's selection; the element
// the user chose there before stays the edit commands' source, framed apart.
struct PaneSelection {
    const ElementRecord* current = nullptr;
    const ElementRecord* partner = nullptr;
    const ElementRecord* source = nullptr;
};

// The picture an item shows: its comparison state, children, expansion and
// whether it is a key element. Ignored elements show 18..21.
int IconIndex(const ElementRecord& record, bool compared, bool hasChildren, bool expanded, bool keyElement);

// The colours of one name box or string part.
struct ColorPair {
    QColor background;
    QColor text;
};

// Where and how one item is painted: the row's rectangle right of the
// indentation (icon, then text area), where the text area starts from the
// pane's left edge before any sideways scroll, the width the pane wraps
// multi-line items to (0: the fixed WrapWidth), and whether the item has
// the keyboard focus.
struct ItemPlace {
    QRect cell;
    int textLeft = 0;
    int paneWidth = 0;
    bool focused = false;
};

// Draws every item of both panes: a framed name box, the framed attribute
// string and the framed text, coloured by the element's comparison state,
// with the differing attributes, words or characters picked out. Nothing is
// kept per item; each paint computes state, colours, ranges and layout.
class PanePainter : public QObject {
    Q_OBJECT
public:
    // Room left of an item's text area for its icon.
    static constexpr int kIconArea = 16 + 5;

    explicit PanePainter(const PaneSelection& selection, QObject* parent = nullptr);

    // Paints the element of tree and returns the right end of what it drew,
    // or -1 when it drew no element (the end-of-document line).
    int paintItem(QPainter& p, const TreePane& tree, const ElementRecord& r, const ItemPlace& place) const;

    // The pane font: derives the bold font, the line metrics and WrapWidth.
    void setPaneFont(const QFont& font);
    const QFont& paneFont() const { return m_font; }
    // The fixed wrap width used where no pane gives its own.
    int wrapWidth() const { return m_wrapWidth; }
    // The panes' item height in pixels (one line).
    void setLineHeight(int pixels) { m_lineHeight = pixels; }
    int lineHeight() const { return m_lineHeight; }

    // The eleven user colours; the others follow the system palette.
    void setColors(const DifferenceColors& colors);
    const DifferenceColors& colors() const { return m_colors; }
    void resetColors();
    // The system colours changed.
    void refreshSystemColors();

    // The colours a name box and a string part are painted in.
    ColorPair nameColors(int index) const { return m_name[std::size_t(index)]; }
    ColorPair segmentColors(int colorClass) const { return m_segment[std::size_t(colorClass)]; }

    void setTreeIcons(std::vector<QPixmap> icons) { m_icons = std::move(icons); }

    // What a paint of the item decides, without drawing (tests and the
    // painting share it).
    struct ItemLook {
        int state = 0;           // 0 equal / not compared, 1 changed, 2 without partner
        int nameColorIndex = 0;  // 0..7
        int attributeClass = 0;  // colour class of the attribute block
        int textClass = 0;       // colour class of the text block
        int icon = 0;
        // Selected in its pane without being the current element or its
        // partner (AutoSelect off): the source that F6 and the edit commands
        // take from the other pane, framed quietly.
        bool selectedAside = false;
        std::vector<HighlightRange> attributeRanges;
        std::vector<HighlightRange> textRanges;
        // Character highlighting: where the partner has characters this
        // element's value lacks, marked between the characters around them.
        std::vector<std::uint32_t> attributeInsertions;
        std::vector<std::uint32_t> textInsertions;
    };
    ItemLook look(const TreePane& tree, const ElementRecord& r) const;

    // How an item is laid out: one line, or (multi-line view) a line for
    // its name over the attribute and text blocks wrapped to the pane.
    struct ItemLines {
        bool multiLine = false;
        int attributeLines = 0;
        int textLines = 0;
        int lineWidth = 0;  // what a wrapped line's text may take
        int total() const { return multiLine ? 1 + attributeLines + textLines : 1; }
    };
    // textLeft: where the item's text area starts, from the column's left
    // edge; paneWidth: the width the pane wraps to (0: none, the fixed
    // WrapWidth applies). Only the item itself is measured.
    ItemLines itemLines(const TreePane& tree, const ElementRecord& r, int textLeft, int paneWidth) const;

private:
    int drawRanges(QPainter& p, const QFontMetrics& fm, int x, int y, std::u16string_view s, std::uint32_t from,
                   std::uint32_t length, const std::vector<HighlightRange>& ranges, int blockClass,
                   const std::vector<std::uint32_t>& insertions = {}) const;
    void paintEndOfDocument(QPainter& p, const QRect& text, const ElementRecord& r) const;
    int paintSingleLine(QPainter& p, const QRect& text, const ElementRecord& r, const ItemLook& look,
                        const QPen& framePen) const;
    int paintMultiLine(QPainter& p, const QRect& text, const QRect& clip, const ElementRecord& r, const ItemLook& look,
                       const QPen& framePen, const ItemLines& lines) const;
    int singleLineWidth(const ElementRecord& r) const;
    int lineWidthAt(int textLeft, int paneWidth) const;
    int paintNameBox(QPainter& p, const QRect& text, int boxBottom, const ElementRecord& r, int colorIndex,
                     const QPen& framePen) const;
    int paintWrappedBlock(QPainter& p, const QFontMetrics& fm, const QRect& frame, int firstLineTop, int lineWidth,
                          const QRect& clip, std::u16string_view s, std::u16string_view stored,
                          const std::vector<HighlightRange>& ranges, int blockClass, const QPen& framePen,
                          const std::vector<std::uint32_t>& insertions) const;

    const PaneSelection& m_selection;
    DifferenceColors m_colors;
    std::array<ColorPair, 8> m_name;
    std::array<ColorPair, 5> m_segment;
    QColor m_window, m_frame, m_infoBackground, m_infoText;
    QFont m_font, m_bold;
    int m_wrapWidth = 0;
    int m_lineHeight = 18;
    int m_averageChar = 7;
    std::vector<QPixmap> m_icons;
};

// The string a block draws: the attribute marks become quotation marks.
std::u16string DisplayString(std::u16string_view attributes);
std::u16string DisplayString(const RecordString& attributes);

}  // namespace quillon
