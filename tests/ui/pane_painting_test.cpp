// SPDX-License-Identifier: MIT
// The panes' highlighting, word wrapping, icons and colours, checked on the
// decisions the painter takes and on the pixels it paints.
#include <QApplication>
#include <QImage>
#include <QtTest>
#include <string>
#include <utility>
#include <vector>

#include "compare/compare_commands.h"
#include "compare/value_differences.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "platform/notifier.h"
#include "settings/options.h"
#include "support/load_xml.h"
#include "ui/block_layout.h"
#include "ui/pane_painter.h"
#include "ui/pane_view.h"

using namespace quillon;
using test::U;

namespace {

// Attribute strings are written with | for the opening and ^ for the closing mark.
std::u16string attrs(std::string_view s) {
    std::u16string out = U(s);
    for (char16_t& c : out) {
        if (c == u'|')
            c = kValueOpen;
        else if (c == u'^')
            c = kValueClose;
    }
    return out;
}

WrapMetrics tenPixelsPerChar(int lineWidth) {
    WrapMetrics m;
    m.width = [](std::u16string_view s) { return int(s.size()) * 10; };
    m.averageCharWidth = 10;
    m.lineWidth = lineWidth;
    return m;
}

// What a wrapped attribute string must keep at every line width: each
// character drawn once and in order (blanks may be left out at a line's
// end), no line wider than the width unless one character alone is, no
// line begun by a value's closing mark, and as many lines as counted.
QString wrapFault(std::u16string_view stored, int lineWidth) {
    const std::u16string shown = DisplayString(stored);
    const WrapMetrics m = tenPixelsPerChar(lineWidth);
    const std::vector<PlacedRun> runs = WrapBlock(shown, m, stored);
    std::uint32_t next = 0;
    int lastLine = 0;
    for (const PlacedRun& r : runs) {
        for (; next < r.start; ++next)
            if (shown[next] > 0x20) return QStringLiteral("character %1 not drawn").arg(next);
        next = r.start + r.length;
        const bool oneCharacter = r.length == 1 || (r.length == 2 && stored[r.start + 1] == kValueClose);
        if (r.x + int(r.length) * 10 > lineWidth && !(r.x == 0 && oneCharacter))
            return QStringLiteral("line %1 runs past %2").arg(r.line).arg(lineWidth);
        if (r.x == 0 && r.line > 0 && stored[r.start] == kValueClose)
            return QStringLiteral("line %1 begins with a closing quote").arg(r.line);
        lastLine = r.line;
    }
    for (; next < shown.size(); ++next)
        if (shown[next] > 0x20) return QStringLiteral("character %1 not drawn").arg(next);
    if (WrappedLines(shown, m, stored) != lastLine + 1) return QStringLiteral("line count differs");
    return {};
}

// Two loaded and compared documents and a painter.
struct ComparedPair {
    DocumentPane left, right;
    RecordingNotifier messages;
    PaneSelection selection;
    PanePainter painter{selection};

    ComparedPair(std::string_view a, std::string_view b, bool compare = true) {
        setNotifier(&messages);
        test::LoadXml(left, a);
        test::LoadXml(right, b);
        CompareHost host;
        compareCommandState() = {};
        if (compare) CompareFiles(&left, &right, host);
    }
    ~ComparedPair() {
        setNotifier(nullptr);
        compareCommandState() = {};
    }
    PanePainter::ItemLook look(DocumentPane& pane, std::string_view path) {
        return painter.look(pane.tree, *test::Find(pane, path));
    }
};

}  // namespace

class PanePaintingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetOptions(options(), false); }

    // ---- Word wrapping ----
    void wrapping_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QStringList>("lines");
        auto row = [](const char* name, const char* text, int width, std::initializer_list<const char*> lines) {
            QStringList expected;
            for (const char* l : lines) expected << QString::fromUtf8(l);
            QTest::newRow(name) << QString::fromUtf8(text) << width << expected;
        };
        row("two words on one line", "aaa bbb", 200, {"aaa bbb"});
        row("line feeds", "aa\n\nbb", 200, {"aa", "", "bb"});
        row("a final line feed opens no line", "aa\n", 200, {"aa"});
        // 110 + 100 pixels do not fit 200; 100 + 100 do (the blank behind is left out).
        row("between words", "aaaaaaaaaa bbbbbbbbbb cc", 200, {"aaaaaaaaaa ", "bbbbbbbbbb cc"});
        row("a blank at the end", "aaaaaaaaa bbbbbbbbbb ", 200, {"aaaaaaaaa bbbbbbbbbb"});
        row("a long word is cut", "xxxxxxxxxxxxxxxxxxxxxxxxx", 100, {"xxxxxxxxxx", "xxxxxxxxxx", "xxxxx"});
        row("after slashes and dots", "https://example.org/feed.xml", 100,
            {"https://", "example.", "org/feed.", "xml"});
        row("a tiny width still ends", "abc def", 3, {"a", "b", "c", "d", "e", "f"});
    }
    // Each line as drawn: the characters at their columns, gaps as '_'.
    void wrapping() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QStringList, lines);
        const std::u16string s = text.toStdU16String();
        const WrapMetrics m = tenPixelsPerChar(width);
        QStringList drawn;
        for (const PlacedRun& r : WrapBlock(s, m)) {
            while (drawn.size() <= r.line) drawn << QString();
            QString& line = drawn[r.line];
            line = line.leftJustified(r.x / 10, QLatin1Char('_'));
            line += QString::fromStdU16String(s.substr(r.start, r.length));
        }
        QCOMPARE(drawn, lines);
        QCOMPARE(WrappedLines(s, m), int(lines.size()));
    }
    void aClosingQuoteNeverStartsALine() {
        QCOMPARE(DisplayString(attrs("a=|x^")), std::u16string(u"a=\"x\""));
        // Values ending in punctuation, in a blank, in a long word, and an
        // empty value, at every width from far too narrow to wide enough.
        for (const char* s : {"href=|https://example.org/feed.xml^ rel=|self^", "a=|xxxxxxx-^ b=|y^", "a=|xx ^ b=|y^",
                              "title=|one two three four  ^ x=|^ y=|z.^"})
            for (int width = 10; width <= 400; width += 10)
                QVERIFY2(wrapFault(attrs(s), width).isEmpty(), qPrintable(QStringLiteral("%1 at %2: %3")
                                                                              .arg(QString::fromLatin1(s))
                                                                              .arg(width)
                                                                              .arg(wrapFault(attrs(s), width))));
    }
    // ---- Icons, states and colours ----
    void looksOfAKnownPair() {
        const char* left = "<a><b x='1' y='k'/><c z='1'>t</c><d/></a>";
        const char* right = "<a><b x='2' y='k'/><d/></a>";
        {
            ComparedPair before(left, right, false);  // before comparing everything looks equal
            const auto lk = before.look(before.left, "b");
            QCOMPARE(lk.state, 0);
            QCOMPARE(lk.nameColorIndex, 0);
            QCOMPARE(lk.icon, 12);
            QVERIFY(lk.attributeRanges.empty());
        }
        ComparedPair pair(left, right);
        auto lk = pair.look(pair.left, "b");  // a changed attribute value
        QCOMPARE(lk.state, 1);
        QCOMPARE(lk.nameColorIndex, 1);
        QCOMPARE(lk.icon, 14);
        QCOMPARE(lk.attributeRanges, (std::vector<HighlightRange>{{3, 1, 1}}));
        options().HighlightChars = 1;
        QCOMPARE(pair.look(pair.left, "b").attributeRanges, (std::vector<HighlightRange>{{3, 1, 2}}));
        lk = pair.look(pair.left, "c");  // without counterpart
        QCOMPARE(lk.state, 2);
        QCOMPARE(lk.nameColorIndex, 2);
        QCOMPARE(lk.attributeClass, 4);
        QCOMPARE(lk.textClass, 4);
        QCOMPARE(lk.icon, 16);
        // Selected, on either side: the selected colours.
        pair.selection.current = test::Find(pair.left, "b");
        QCOMPARE(pair.look(pair.left, "b").nameColorIndex, 4);
        pair.selection.partner = test::Find(pair.right, "b");
        QCOMPARE(pair.look(pair.right, "b").nameColorIndex, 4);
        // Ignored by a rule, or below an ignored element.
        ElementRecord* d = test::Find(pair.left, "d");
        d->ignoreState = 1;
        QCOMPARE(pair.look(pair.left, "d").nameColorIndex, 6);
        QCOMPARE(pair.look(pair.left, "d").icon, 18);
        d->ignoreState = 4;
        QCOMPARE(pair.look(pair.left, "d").nameColorIndex, 7);
        QCOMPARE(pair.look(pair.left, "d").icon, 21);
    }

    void paintedNameBoxHasTheStateColour() {
        ComparedPair pair("<a><b x='1'/><c/></a>", "<a><b x='2'/></a>");
        PaneView view(PaneSide::Left);
        PaneRows rows;
        rows.rows().Build(&pair.left, nullptr);
        rows.rows().SetSubtreeExpanded(0, true);
        view.setPane(&pair.left);
        view.setPainter(&pair.painter);
        view.setRows(&rows);
        view.setDocumentShown(true);
        pair.painter.setLineHeight(20);
        view.resize(500, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto boxColour = [&](std::string_view path) {
            view.viewport()->repaint();
            const QRect row = view.itemCell(test::Find(pair.left, path)->item());
            const QImage shot = view.viewport()->grab().toImage();
            return QColor(shot.pixel(row.left() + PanePainter::kIconArea + 4, row.top() + 10));
        };
        QCOMPARE(boxColour("b"), QColor(210, 255, 210));
        QCOMPARE(boxColour("c"), QColor(255, 210, 210));
        pair.selection.current = test::Find(pair.left, "b");
        QCOMPARE(boxColour("b"), QColor(0, 127, 0));  // the selected colour wins
        // An empty pane paints nothing.
        view.setDocumentShown(false);
        QCOMPARE(boxColour("c"), view.palette().color(QPalette::Base));
    }
};

QTEST_MAIN(PanePaintingTest)
#include "pane_painting_test.moc"
