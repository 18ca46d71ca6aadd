// SPDX-License-Identifier: MIT
// Times the window with big documents: loading into the panes, the first
// paint, scrolling through the top level, expanding everything and jumping
// through the expanded tree, resizing the window. Run by gui_bench.py, which
// makes the documents.
//   gui_bench [--multiline] [--trees] LEFT [RIGHT]
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "compare/compare_commands.h"
#include "model/document_pane.h"
#include "platform/notifier.h"
#include "settings/options.h"
#include "ui/application.h"
#include "ui/command_ids.h"
#include "ui/pane_view.h"
#include "ui/window_settings.h"

using namespace quillon;

namespace {

// Nothing is read from or written to the user's settings.
class NoSettings final : public WindowSettings {
public:
    NoSettings(bool multiLine, bool aligned) : m_multiLine(multiLine), m_aligned(aligned) {}
    void SetUpStore() override {}
    void LoadSettings() override {
        options().ApplicationVersion = kSettingsVersion;
        options().TipOfTheDay = 0;
        options().LeftMainPos = 0;
        options().TopMainPos = 0;
        options().RightMainPos = 1200;
        options().BottomMainPos = 800;
        options().DisplayFullMode = m_multiLine ? 1 : 0;
    }
    void SaveSettings(bool) override {}
    std::vector<std::u16string> LoadHistory(PaneSide) override { return {}; }
    void SaveHistory(PaneSide, const std::vector<std::u16string>&) override {}
    std::vector<std::u16string> LoadRecentFiles() override { return {}; }
    std::vector<std::u16string> AddRecentFile(std::u16string_view) override { return {}; }
    void SaveRecentFiles() override {}
    std::optional<QFont> LoadTreeFont() override { return std::nullopt; }
    void SaveTreeFont(const QFont&, int) override {}
    std::optional<ElementWindowFont> LoadElementFont() override { return std::nullopt; }
    void SaveElementFont(const ElementWindowFont&) override {}
    void LoadColors(DifferenceColors&) override {}
    void SaveColors(const DifferenceColors&) override {}
    bool ReadSettingsFile(std::u16string_view, unsigned) override { return false; }
    bool LoadAlignedRows() override { return m_aligned; }

private:
    bool m_multiLine;
    bool m_aligned;
};

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

void paintNow(MainWindow& w) {
    for (PaneSide side : {PaneSide::Left, PaneSide::Right}) w.paneView(side)->viewport()->repaint();
}

// Steps the left pane's vertical bar through its range in `steps` jumps (0:
// page by page), painting both panes at each. Returns {jumps, total ms}.
std::pair<int, double> scrollThrough(MainWindow& w, int steps) {
    QScrollBar* bar = w.paneView(PaneSide::Left)->verticalScrollBar();
    const int max = bar->maximum();
    QElapsedTimer t;
    t.start();
    int jumps = 0;
    if (steps == 0) {
        bar->setValue(0);
        while (bar->value() < max) {
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);  // the other pane follows
            paintNow(w);
            ++jumps;
        }
    } else {
        for (int i = 1; i <= steps; ++i) {
            bar->setValue(int(static_cast<long long>(max) * i / steps));
            bar->triggerAction(QAbstractSlider::SliderMove);
            paintNow(w);
            ++jumps;
        }
    }
    return {jumps, ms(t)};
}

// Presses a key in the left pane as the keyboard does and paints both panes:
// the time until the window could take the next input.
double pressKey(MainWindow& w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* pane = w.paneView(PaneSide::Left);
    QElapsedTimer t;
    t.start();
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(pane, &press);
    QApplication::sendEvent(pane, &release);
    QCoreApplication::processEvents();
    paintNow(w);
    return ms(t);
}

// Runs a command and paints both panes; its time in ms.
double runCommand(MainWindow& w, int id) {
    QElapsedTimer t;
    t.start();
    w.executeCommand(id);
    QCoreApplication::processEvents();
    paintNow(w);
    return ms(t);
}

// Times `count` runs of f; prints the slowest and the mean.
template <class F>
void timeRepeated(const char* what, int count, F f) {
    double worst = 0, sum = 0;
    for (int i = 0; i < count; ++i) {
        const double one = f();
        worst = std::max(worst, one);
        sum += one;
    }
    std::printf("%s: %d times, slowest %.1f ms, mean %.1f ms\n", what, count, worst, count ? sum / count : 0.0);
}

// Narrows and widens the window step by step, letting each resize settle
// and painting both panes. Returns {resizes, total ms}.
std::pair<int, double> resizeThrough(MainWindow& w) {
    const QSize start = w.size();
    QElapsedTimer t;
    t.start();
    int resizes = 0;
    for (int step : {-60, 60}) {
        for (int i = 0; i < 8; ++i) {
            w.resize(w.width() + step, w.height());
            QCoreApplication::processEvents();
            paintNow(w);
            ++resizes;
        }
    }
    w.resize(start);
    QCoreApplication::processEvents();
    return {resizes, ms(t)};
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int first = 1;
    bool multiLine = false, trees = false;
    for (; first < argc && argv[first][0] == '-'; ++first) {
        multiLine |= std::strcmp(argv[first], "--multiline") == 0;
        trees |= std::strcmp(argv[first], "--trees") == 0;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: gui_bench [--multiline] [--trees] LEFT [RIGHT]\n");
        return 2;
    }
    NoSettings settings(multiLine, !trees);
    RecordingNotifier messages;  // the result box would wait for a click
    ShellServices services;
    services.settings = &settings;
    services.notifier = &messages;
    QStringList args{QStringLiteral("quillon")};
    for (int i = first; i < argc && i < first + 2; ++i) args << QString::fromLocal8Bit(argv[i]);

    QElapsedTimer total;
    total.start();
    std::unique_ptr<MainWindow> w = StartProgram(args, services);
    const double loaded = ms(total);
    // The same window in every run: where the platform placed it varies.
    w->setWindowState(Qt::WindowNoState);
    w->resize(960, 720);
    QCoreApplication::processEvents();
    QElapsedTimer t;
    t.start();
    paintNow(*w);
    const double firstPaint = ms(t);
    const std::size_t elements = w->pipeline().pane(PaneSide::Left).pane.tree.Count();
    std::printf("elements in the left pane: %zu\n", elements);
    std::printf("start, load%s and view reset%s%s: %.0f ms\n", argc > first + 1 ? ", compare" : "",
                multiLine ? " (multi-line view)" : "", trees ? " (two trees)" : " (aligned rows)", loaded);
    std::printf("first paint after it: %.1f ms (start to first paint %.0f ms)\n", firstPaint, loaded + firstPaint);

    const QWidget* pane = w->paneView(PaneSide::Left)->viewport();
    std::printf("window %dx%d, left pane %dx%d\n", w->width(), w->height(), pane->width(), pane->height());
    auto [pages, pageMs] = scrollThrough(*w, 0);
    std::printf("scroll through the top level: %d pages in %.0f ms (%.2f ms a page)\n", pages, pageMs,
                pages ? pageMs / pages : 0.0);

    t.restart();
    w->paneView(PaneSide::Left)->setFocus();
    w->executeCommand(cmd::ExpandNodes);  // from the root: every element
    paintNow(*w);
    std::printf("expand every element and paint: %.0f ms\n", ms(t));
    // The keys a reader of the expanded comparison presses.
    std::printf("End: %.1f ms\n", pressKey(*w, Qt::Key_End));
    std::printf("Home: %.1f ms\n", pressKey(*w, Qt::Key_Home));
    timeRepeated("Page Down", 20, [&] { return pressKey(*w, Qt::Key_PageDown); });
    timeRepeated("Page Up", 20, [&] { return pressKey(*w, Qt::Key_PageUp); });
    if (argc > first + 1) {
        timeRepeated("next difference (F10)", 20, [&] { return runCommand(*w, cmd::NextDifference); });
        timeRepeated("next deleted (F11)", 20, [&] { return runCommand(*w, cmd::NextDeleted); });
        timeRepeated("next change of any kind (F12)", 20, [&] { return runCommand(*w, cmd::NextChange); });
        std::printf("End, then previous difference: %.1f ms\n",
                    pressKey(*w, Qt::Key_End) + runCommand(*w, cmd::PreviousDifference));
    }
    auto [jumps, jumpMs] = scrollThrough(*w, 500);
    std::printf("jump through the expanded tree: %d jumps in %.0f ms (%.2f ms a jump)\n", jumps, jumpMs,
                jumps ? jumpMs / jumps : 0.0);
    auto [resizes, resizeMs] = resizeThrough(*w);
    std::printf("resize the window and paint: %d resizes in %.0f ms (%.2f ms a resize)\n", resizes, resizeMs,
                resizes ? resizeMs / resizes : 0.0);
    // What a resize costs once the rows are listed again at the new width.
    t.restart();
    for (PaneSide side : {PaneSide::Left, PaneSide::Right}) w->paneView(side)->remeasure();
    paintNow(*w);
    std::printf("list the rows again and paint: %.0f ms\n", ms(t));
    t.restart();
    w->executeCommand(cmd::CollapseNodes);
    paintNow(*w);
    std::printf("collapse every element and paint: %.0f ms\n", ms(t));
    w->close();
    return 0;
}
