// SPDX-License-Identifier: MIT
#include "ui/pane_painter.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "compare/compare_commands.h"
#include "compare/identity.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "rules/rule_hooks.h"
#include "settings/options.h"
#include "ui/block_layout.h"
#include "ui/core_links.h"

namespace quillon {
namespace {

// A single-line item draws at most this many characters of a string; the
// rest could never be on screen at once and would only cost time.
constexpr std::size_t kMaxDrawnChars = 4000;

QString wrapView(std::u16string_view s) {
    return QString::fromRawData(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size()));
}

bool isEndOfDocument(const ElementRecord& r) {
    return !r.name() || r.name()->hash == 0;
}

// Win32-style rectangle from (l, t) to (r, b), the right and bottom edges outside.
QRect spanned(int l, int t, int r, int b) {
    return QRect(QPoint(l, t), QPoint(std::max(l, r - 1), std::max(t, b - 1)));
}

// Room between a block's frame and its text, on either side.
constexpr int kBlockMargin = 6;
// What a row keeps right of its one line before it wraps.
constexpr int kColumnMargin = 8;

WrapMetrics metricsOf(const QFontMetrics& fm, int lineWidth) {
    WrapMetrics m;
    m.width = [&fm](std::u16string_view piece) { return fm.horizontalAdvance(wrapView(piece)); };
    m.averageCharWidth = std::max(1, fm.averageCharWidth());
    m.lineWidth = lineWidth;
    return m;
}

}  // namespace

std::u16string DisplayString(std::u16string_view attributes) { return DisplayString(RecordString(attributes)); }

std::u16string DisplayString(const RecordString& attributes) {
    std::u16string s(attributes);
    for (char16_t& c : s)
        if (c == kValueOpen || c == kValueClose) c = u'"';
    return s;
}

int IconIndex(const ElementRecord& r, bool compared, bool hasChildren, bool expanded, bool keyElement) {
    if (r.ignoreState != 0) return r.ignoreState + 17;
    int index;
    if (hasChildren) {
        if (!compared)
            index = 0;
        else if (!r.partner())
            index = 8;
        else
            index = IsIdentical(r, r.partner()) ? 0 : 4;
    } else {
        if (!compared)
            index = 12;
        else if (!r.partner())
            index = 16;
        else
            index = IsIdentical(r, r.partner()) ? 12 : 14;
    }
    if (index < 18) {
        if (expanded) index += 2;
        if (keyElement) index += 22;
    }
    return index;
}

PanePainter::PanePainter(const PaneSelection& selection, QObject* parent)
    : QObject(parent), m_selection(selection), m_colors(DefaultDifferenceColors()) {
    refreshSystemColors();
    setPaneFont(QApplication::font());
}

void PanePainter::setPaneFont(const QFont& font) {
    m_font = font;
    m_bold = font;
    m_bold.setWeight(QFont::Bold);
    const QFontMetrics fm(m_font);
    m_wrapWidth = int(1.2 * fm.horizontalAdvance(QString(60, QLatin1Char('0'))));
    m_averageChar = std::max(1, fm.averageCharWidth());
}

void PanePainter::setColors(const DifferenceColors& colors) {
    m_colors = colors;
    refreshSystemColors();
}

void PanePainter::resetColors() {
    setColors(DefaultDifferenceColors());
}

void PanePainter::refreshSystemColors() {
    const QPalette pal = QApplication::palette();
    m_window = pal.color(QPalette::Base);
    const QColor windowText = pal.color(QPalette::Text);
    const QColor highlightText = pal.color(QPalette::HighlightedText);
    m_frame = pal.color(QPalette::Mid);
    m_infoBackground = pal.color(QPalette::ToolTipBase);
    m_infoText = pal.color(QPalette::ToolTipText);
    const DifferenceColors& c = m_colors;
    m_name = {{
        {pal.color(QPalette::Button), windowText},
        {c[kChangedNameBackground], c[kChangedNameText]},
        {c[kDeletedNameBackground], c[kDeletedNameText]},
        {pal.color(QPalette::Highlight), highlightText},
        {c[kSelectedChangedNameBackground], highlightText},
        {c[kSelectedDeletedNameBackground], highlightText},
        {m_window, QColor(0, 0, 127)},
        {m_window, QColor(66, 66, 66)},
    }};
    m_segment = {{
        {m_window, windowText},
        {c[kChangedAttributeBackground], c[kChangedAttributeText]},
        {c[kDeletedTextBackground], c[kDeletedTextText]},
        {m_window, QColor(99, 99, 99)},
        {m_window, c[kDeletedElementText]},
    }};
}

PanePainter::ItemLook PanePainter::look(const TreePane& tree, const ElementRecord& record) const {
    ItemLook lk;
    const ElementRecord* r = &record;
    const bool compared = compareCommandState().Compared;
    lk.state = compared ? CompareState(*r) : 0;
    const int ignoredClass = r->ignoreState == 0 ? 0 : (r->ignoreState % 2 == 1 ? 1 : 2);
    lk.nameColorIndex = lk.state;
    if (r == m_selection.current || (r == m_selection.partner && r))
        lk.nameColorIndex = lk.state + 3;
    else if (ignoredClass != 0)
        lk.nameColorIndex = ignoredClass + 5;
    lk.selectedAside = r != m_selection.current && r != m_selection.partner &&
                       (tree.Selected() == r->item() || r == m_selection.source);
    const bool ignored = r->ignoreState != 0;
    if (lk.state == 2)
        lk.attributeClass = 4;
    else if ((r->ruleFlags & kRuleAttributesNotCompared) || ignored)
        lk.attributeClass = 3;
    if (lk.state == 2)
        lk.textClass = 4;
    else if ((r->ruleFlags & kRuleTextNotCompared) || ignored)
        lk.textClass = 3;
    lk.icon =
        IconIndex(*r, compared, tree.FirstChild(r->item()) != kNoItem, tree.IsExpanded(r->item()), ShownAsKeyElement(*r));

    if (const ElementRecord* partner = lk.state == 1 ? r->partner() : nullptr) {
        const ElementRecord& p = *partner;
        HighlightSettings st;
        st.mode = compareSnapshot().mode;
        st.highlightChars = options().HighlightChars != 0;
        st.attributeNamesCaseSensitive = options().XMLAttributeCaseSensitive != 0;
        st.ignoredAttribute = [r](std::uint16_t hash) { return AttributeNotCompared(*r, hash); };
        if (tree.Height(r->item()) <= 1) st.limit = kMaxDrawnChars;
        // Qt and the highlighting read UTF-16: record strings are widened here.
        std::u16string own, other;
        if (r->attributes)
            lk.attributeRanges = AttributeRanges(r->attributesString().utf16(own), p.attributesString().utf16(other),
                                                 st, &lk.attributeInsertions);
        if (r->text && TextDiffers(*r))
            lk.textRanges =
                TextRanges(r->textString().utf16(own), p.textString().utf16(other), st, &lk.textInsertions);
    }
    return lk;
}

int PanePainter::drawRanges(QPainter& p, const QFontMetrics& fm, int x, int y, std::u16string_view s,
                            std::uint32_t from, std::uint32_t length, const std::vector<HighlightRange>& ranges,
                            int blockClass, const std::vector<std::uint32_t>& insertions) const {
    const std::uint32_t end = std::min<std::uint32_t>(from + length, std::uint32_t(s.size()));
    int pen = x;
    auto part = [&](std::uint32_t a, std::uint32_t b, int cls) {
        if (b <= a) return;
        const QString text = wrapView(s.substr(a, b - a));
        const int w = fm.horizontalAdvance(text);
        const ColorPair& c = m_segment[std::size_t(cls)];
        p.fillRect(QRect(pen, y, w, fm.height()), c.background);
        p.setPen(c.text);
        p.drawText(pen, y + fm.ascent(), text);
        pen += w;
    };
    std::uint32_t pos = from;
    for (const HighlightRange& r : ranges) {
        if (r.start + r.length <= pos) continue;
        if (r.start >= end) break;
        const std::uint32_t a = std::max(r.start, pos);
        const std::uint32_t b = std::min(r.start + r.length, end);
        part(pos, a, blockClass);
        part(a, b, r.colorClass);
        pos = b;
    }
    part(pos, end, blockClass);
    // An insertion opposite: a bar between the characters around it, in
    // the colours of what differs.
    for (std::uint32_t at : insertions) {
        if (at < from || at > end || (at == end && end < s.size() && at != s.size())) continue;
        const int bar = x + fm.horizontalAdvance(wrapView(s.substr(from, at - from)));
        const QColor colour = m_segment[2].text;
        p.fillRect(QRect(bar - 1, y, 2, fm.height()), colour);
        p.fillRect(QRect(bar - 3, y, 6, 2), colour);
        p.fillRect(QRect(bar - 3, y + fm.height() - 2, 6, 2), colour);
    }
    return pen - x;
}

int PanePainter::paintNameBox(QPainter& p, const QRect& text, int boxBottom, const ElementRecord& r, int colorIndex,
                              const QPen& framePen) const {
    const QFontMetrics fm(m_bold);
    const QString name = wrapView(r.name()->view());
    const int nameWidth = fm.horizontalAdvance(name);
    const int left = text.left() + 1;  // the box sits one pixel in
    const int top = text.top();
    const ColorPair& c = m_name[std::size_t(colorIndex)];
    p.setPen(framePen);
    p.setBrush(c.background);
    p.drawRect(spanned(left, top + 1, left + nameWidth + 10, boxBottom - 1));
    p.setFont(m_bold);
    p.setPen(c.text);
    p.drawText(left + 6, top + 2 + fm.ascent(), name);
    if (ShownAsEntireElement(r)) p.fillRect(QRect(left + 4, boxBottom - 3, nameWidth + 4, 1), c.text);
    return nameWidth + 10;
}

int PanePainter::paintSingleLine(QPainter& p, const QRect& text, const ElementRecord& r, const ItemLook& lk,
                                 const QPen& framePen) const {
    const int left = text.left(), top = text.top(), bottom = text.top() + m_lineHeight;
    int x = paintNameBox(p, text, bottom, r, lk.nameColorIndex, framePen) + 10;
    int right = left + x;
    if (r.attributes) {
        const std::u16string s = DisplayString(r.attributesString().substr(0, kMaxDrawnChars));
        const QFontMetrics fm(m_bold);  // the name's bold font is still the current one
        const int width = fm.horizontalAdvance(wrapView(s));
        p.setPen(framePen);
        p.setBrush(m_window);
        p.drawRect(spanned(left + x, top + 1, left + x + width + 8, bottom - 1));
        p.setFont(m_bold);
        drawRanges(p, fm, left + x + 4, top + 2, s, 0, std::uint32_t(s.size()), lk.attributeRanges, lk.attributeClass,
                   lk.attributeInsertions);
        right = left + x + width + 8;
        x += width + 6;
    }
    if (r.text) {
        std::u16string scratch;
        const std::u16string_view s = r.textString().substr(0, kMaxDrawnChars).utf16(scratch);
        const QFontMetrics fm(m_font);
        const int width = fm.horizontalAdvance(wrapView(s));
        p.setPen(framePen);
        p.setBrush(m_window);
        p.drawRect(spanned(left + x, top + 1, left + x + width + 8, bottom - 1));
        p.setFont(m_font);
        drawRanges(p, fm, left + x + 4, top + 2, s, 0, std::uint32_t(s.size()), lk.textRanges, lk.textClass,
                   lk.textInsertions);
        right = left + x + width + 8;
    }
    return right;
}

int PanePainter::paintWrappedBlock(QPainter& p, const QFontMetrics& fm, const QRect& frame, int firstLineTop,
                                   int lineWidth, const QRect& clip, std::u16string_view s, std::u16string_view stored,
                                   const std::vector<HighlightRange>& ranges, int blockClass,
                                   const QPen& framePen, const std::vector<std::uint32_t>& insertions) const {
    p.setPen(framePen);
    p.setBrush(m_window);
    p.drawRect(frame);
    const WrapMetrics m = metricsOf(fm, lineWidth);
    // Lines below the visible part need not be laid out.
    const int lastVisible = std::max(0, (clip.bottom() - firstLineTop) / std::max(1, m_lineHeight));
    int right = frame.right();
    for (const PlacedRun& run : WrapBlock(s, m, stored, lastVisible)) {
        const int y = firstLineTop + run.line * m_lineHeight;
        if (y + m_lineHeight < clip.top() || y > clip.bottom()) continue;
        const int x = frame.left() + kBlockMargin + run.x;
        right =
            std::max(right, x + drawRanges(p, fm, x, y, s, run.start, run.length, ranges, blockClass, insertions));
    }
    return right;
}

int PanePainter::paintMultiLine(QPainter& p, const QRect& text, const QRect& clip, const ElementRecord& r,
                                const ItemLook& lk, const QPen& framePen, const ItemLines& lines) const {
    const int left = text.left();
    int right = left + paintNameBox(p, text, text.top() + m_lineHeight, r, lk.nameColorIndex, framePen);
    const int frameRight = left + lines.lineWidth + 2 * kBlockMargin;
    int blockTop = text.top() + m_lineHeight;
    std::u16string scratch;
    if (r.attributes && lines.attributeLines > 0) {
        const int blockBottom = blockTop + lines.attributeLines * m_lineHeight;
        const QRect frame = spanned(left, blockTop - 2, frameRight, blockBottom - 1);
        p.setFont(m_bold);
        const std::u16string_view stored = r.attributesString().utf16(scratch);
        right = std::max(right, paintWrappedBlock(p, QFontMetrics(m_bold), frame, blockTop, lines.lineWidth, clip,
                                                  DisplayString(stored), stored, lk.attributeRanges,
                                                  lk.attributeClass, framePen, lk.attributeInsertions));
        blockTop = blockBottom;
    }
    if (r.text && lines.textLines > 0) {
        const int blockBottom = blockTop + lines.textLines * m_lineHeight;
        const QRect frame = spanned(left, blockTop - 2, frameRight, blockBottom - 1);
        p.setFont(m_font);
        right = std::max(right, paintWrappedBlock(p, QFontMetrics(m_font), frame, blockTop, lines.lineWidth, clip,
                                                  r.textString().utf16(scratch), {}, lk.textRanges, lk.textClass,
                                                  framePen, lk.textInsertions));
    }
    return right;
}

void PanePainter::paintEndOfDocument(QPainter& p, const QRect& text, const ElementRecord& r) const {
    const QFontMetrics fm(m_font);
    const QString label = QStringLiteral("%1 (elements)").arg(qulonglong(r.descendantCount()) + 1);
    const int w = fm.horizontalAdvance(label);
    const QRect box = spanned(text.left() - 20, text.top(), text.left() + w + 10, text.top() + fm.height() + 6);
    p.setPen(QPen(m_frame, 1));
    p.setBrush(m_infoBackground);
    p.drawRect(box);
    p.setFont(m_font);
    p.setPen(m_infoText);
    p.drawText(text.left() - 10, text.top() + 2 + fm.ascent(), label);
}

int PanePainter::lineWidthAt(int textLeft, int paneWidth) const {
    if (paneWidth <= 0) return m_wrapWidth - kBlockMargin;
    // The frame takes a margin on either side and stays a pixel inside the pane.
    return std::max(10 * m_averageChar, paneWidth - textLeft - 2 * kBlockMargin - 2);
}

int PanePainter::singleLineWidth(const ElementRecord& r) const {
    const QFontMetrics bold(m_bold), plain(m_font);
    int x = bold.horizontalAdvance(wrapView(r.name()->view())) + 20;
    int right = x;
    if (r.attributes) {
        const int w = bold.horizontalAdvance(wrapView(DisplayString(r.attributesString().substr(0, kMaxDrawnChars))));
        right = x + w + 8;
        x += w + 6;
    }
    std::u16string scratch;
    if (r.text)
        right = x + plain.horizontalAdvance(wrapView(r.textString().substr(0, kMaxDrawnChars).utf16(scratch))) + 8;
    return right;
}

PanePainter::ItemLines PanePainter::itemLines(const TreePane& tree, const ElementRecord& r, int textLeft,
                                              int paneWidth) const {
    ItemLines lines;
    if (isEndOfDocument(r) || !options().DisplayFullMode || (!r.attributes && !r.text)) return lines;
    // Long strings always get the multi-line look; shorter ones only when
    // their one line would run past the pane.
    const bool longStrings = tree.Height(r.item()) > 1;
    if (!longStrings && (paneWidth <= 0 || textLeft + singleLineWidth(r) + kColumnMargin <= paneWidth)) return lines;
    lines.multiLine = true;
    lines.lineWidth = lineWidthAt(textLeft, paneWidth);
    std::u16string scratch;
    if (r.attributes) {
        const std::u16string_view stored = r.attributesString().utf16(scratch);
        const std::u16string shown = DisplayString(stored);
        lines.attributeLines = WrappedLines(shown, metricsOf(QFontMetrics(m_bold), lines.lineWidth), stored);
    }
    if (r.text)
        lines.textLines =
            WrappedLines(r.textString().utf16(scratch), metricsOf(QFontMetrics(m_font), lines.lineWidth));
    return lines;
}

int PanePainter::paintItem(QPainter& p, const TreePane& tree, const ElementRecord& r, const ItemPlace& place) const {
    p.save();
    const QRect cell = place.cell;
    // The item's text area begins right of its icon.
    const QRect text(cell.left() + kIconArea, cell.top(), std::max(0, cell.width() - kIconArea), cell.height());
    p.fillRect(cell, m_window);
    if (isEndOfDocument(r)) {
        paintEndOfDocument(p, text, r);
        p.restore();
        return -1;
    }
    const ItemLook lk = look(tree, r);
    if (lk.icon >= 0 && std::size_t(lk.icon) < m_icons.size()) {
        const QPixmap& icon = m_icons[std::size_t(lk.icon)];
        const int side = int(icon.width() / icon.devicePixelRatio());
        p.drawPixmap(cell.left() + 1, cell.top() + std::max(0, (m_lineHeight - side) / 2), icon);
    }
    QPen framePen = place.focused ? QPen(m_name[std::size_t(lk.nameColorIndex)].background, 2) : QPen(m_frame, 1);
    if (!place.focused && lk.selectedAside)
        framePen = QPen(m_name[std::size_t(lk.state + 3)].background, 1, Qt::DashLine);
    const ItemLines lines = itemLines(tree, r, place.textLeft, place.paneWidth);
    const QRect visible = p.clipBoundingRect().toAlignedRect();
    const QRect clip = visible.isEmpty() ? cell : cell.intersected(visible);
    int right;
    if (lines.multiLine) {
        // A row as high as its taller side leaves this side's lines room.
        p.setClipRect(cell, Qt::IntersectClip);
        right = paintMultiLine(p, text, clip, r, lk, framePen, lines);
    } else {
        right = paintSingleLine(p, text, r, lk, framePen);
    }
    p.restore();
    return right;
}

}  // namespace quillon
