// SPDX-License-Identifier: MIT
// The panes at the window's size, driven as a user does (clicks, keys, a
// window resized): wrapped items stay inside their pane and their row at
// every width.
#include <QAbstractButton>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QScrollBar>

#include "ui/dialogs/options_dialog.h"
#include "ui/main_window_fixture.h"
#include "ui/modal.h"

using namespace quillon;
using test::Program;
using test::qpath;

namespace {

// Takes down what a paint draws, where nothing clips it: each piece of
// text at its baseline and each rectangle.
class RecordingEngine final : public QPaintEngine {
public:
    struct Text {
        QPointF at;
        qreal width;
        QString text;
    };
    std::vector<Text> texts;
    std::vector<QRectF> rects;

    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawRects(const QRectF* r, int n) override { rects.insert(rects.end(), r, r + n); }
    void drawRects(const QRect* r, int n) override {
        for (int i = 0; i < n; ++i) rects.push_back(QRectF(r[i]));
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        texts.push_back({p, item.width(), item.text()});
    }
    Type type() const override { return QPaintEngine::User; }
};

class RecordingDevice final : public QPaintDevice {
public:
    RecordingEngine engine;
    QPaintEngine* paintEngine() const override { return const_cast<RecordingEngine*>(&engine); }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
            case PdmHeight:
                return 100000;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return int(devicePixelRatioFScale());
            case PdmDepth:
                return 32;
            default:
                return 1000;
        }
    }
};

// A feed whose descriptions and attributes are long enough to wrap, with
// values that end in punctuation or a blank.
std::string feed(int items) {
    std::string xml =
        "<rss version='2.0' xmlns:atom='http://www.w3.org/2005/Atom'><channel>"
        "<link href='https://example.org/feed.xml' rel='self' type='application/rss+xml'/>";
    for (int i = 0; i < items; ++i) {
        const std::string n = std::to_string(i);
        xml += "<item id='post-" + n + "' see='https://example.org/posts/" + n + "/comments/?page=2&amp;sort=new.' " +
               "note='ends in a blank " + n + " ' alt='(" + n + ")'><title>Release notes " + n +
               ": improvements to module " + n + "</title><description>Post " + n +
               " describes what changed in module " + n +
               " and why the team chose this approach, with a word long enough to be cut: "
               "supercalifragilisticexpialidocious-" +
               n + ".</description></item>";
    }
    return xml + "</channel></rss>";
}

// A click on the pane's first item, then Ctrl+E: every element below it
// expanded.
void expandFromTheTop(Program& p, PaneSide side) {
    PaneView* view = p.window->paneView(side);
    p.window->activateWindow();
    (void)QTest::qWaitForWindowActive(p.window.get());
    view->verticalScrollBar()->setValue(0);
    const QRect first = view->cellRect(0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, first.topLeft() + QPoint(PanePainter::kIconArea + 8, 8));
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : p.window.get(), Qt::Key_E, Qt::ControlModifier);
    QCoreApplication::processEvents();
}

// Paints each row on screen as the view does and says what went wrong:
// something drawn past the pane's right edge, or below its row (a row that
// kept the height of another width).
QString layoutFault(Program& p, PaneSide side) {
    PaneView* view = p.window->paneView(side);
    QCoreApplication::processEvents();  // the rows laid out again after a resize
    const int paneRight = view->viewport()->width();
    if (view->horizontalScrollBar()->maximum() > 0) return QStringLiteral("the pane scrolls sideways");
    int rows = 0;
    for (std::size_t row : view->rowsOnScreen()) {
        const QRect cell = view->cellRect(row);
        const ElementRecord* record = p.pane(side).record((*view->rows())[row].item(side));
        if (!record) continue;  // a gap
        ++rows;
        ItemPlace place;
        place.cell = cell;
        place.textLeft = cell.left() + view->horizontalScrollBar()->value() + PanePainter::kIconArea;
        place.paneWidth = view->wrapRoom();
        RecordingDevice device;
        {
            QPainter painter(&device);
            p.window->painter()->paintItem(painter, p.pane(side).tree, *record, place);
        }
        const RecordingEngine& drawn = device.engine;
        const QString where = QStringLiteral("row at %1 (%2)").arg(cell.top()).arg(row);
        for (const RecordingEngine::Text& t : drawn.texts) {
            if (t.at.x() + t.width > paneRight + 0.5)
                return where + QStringLiteral(": \"%1\" ends at %2, the pane at %3")
                                   .arg(t.text)
                                   .arg(t.at.x() + t.width)
                                   .arg(paneRight);
            if (t.at.y() > cell.bottom() + 1) return where + QStringLiteral(": \"%1\" below its row").arg(t.text);
        }
        for (const QRectF& r : drawn.rects)
            if (r.right() > paneRight + 0.5 || r.bottom() > cell.bottom() + 1.5)
                return where + QStringLiteral(": a frame outside the pane or the row");
    }
    if (rows == 0) return QStringLiteral("no rows on screen");
    return {};
}

}  // namespace

class PaneLayoutTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { options() = Options{}; }

    void wrappedItemsFitThePaneAtEveryWidth() {
        const std::string left = test::WriteTempFile(feed(6)), right = test::WriteTempFile(feed(7));
        Program p({QStringLiteral("quillon"), qpath(left), qpath(right)}, [](Options& o) { o.DisplayFullMode = 0; });
        expandFromTheTop(p, PaneSide::Left);
        expandFromTheTop(p, PaneSide::Right);
        PaneView* view = p.window->paneView(PaneSide::Left);
        QTRY_VERIFY(view->horizontalScrollBar()->maximum() > 0);  // one line each, wider than the pane
        // Switched to the multi-line view, the rows shown are laid out again.
        test::WhenModalOpens<OptionsDialog>([](OptionsDialog* d) {
            d->setCurrentPage(OptionsDialog::View);
            d->findChild<QAbstractButton*>(QStringLiteral("DisplayFullMode"))->click();
            d->findChild<QAbstractButton*>(QStringLiteral("OK"))->click();
        });
        p.window->executeCommand(cmd::Options);
        QCOMPARE(options().DisplayFullMode, 1u);
        const int height = p.window->height();
        const TreeItem description = p.find(PaneSide::Left, "channel/item/description")->item();
        int wideRow = 0;
        for (int width : {p.window->width(), 960, 1180, 900, 820, 760, 700, 660}) {
            p.window->resize(width, height);
            QTRY_COMPARE(p.window->width(), width);
            for (PaneSide side : {PaneSide::Left, PaneSide::Right})
                QVERIFY2(layoutFault(p, side).isEmpty(),
                         qPrintable(QStringLiteral("%1 wide: ").arg(width) + layoutFault(p, side)));
            const int row = view->itemRect(description).height();
            if (width == 1180) wideRow = row;
        }
        // Narrower, the same text takes more lines.
        QVERIFY(view->itemRect(description).height() > wideRow);
    }
};

QTEST_MAIN(PaneLayoutTest)
#include "pane_layout_test.moc"
