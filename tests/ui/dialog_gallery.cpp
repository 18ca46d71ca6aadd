// SPDX-License-Identifier: MIT
// Shows one dialog on its own, for looking at it under a real display:
//   dialog_gallery options [page] | tip | about | find | viewer | help [topic]
//                  | ignore | ignored | key
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include "model/document_pane.h"
#include "settings/options.h"
#include "support/load_xml.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/element_viewer.h"
#include "ui/dialogs/find_dialog.h"
#include "ui/dialogs/help.h"
#include "ui/dialogs/ignore_element_dialog.h"
#include "ui/dialogs/ignored_elements_dialog.h"
#include "ui/dialogs/key_attribute_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/program_rules.h"
#include "ui/dialogs/tip_of_the_day_dialog.h"

using namespace quillon;

namespace {

const char* kSample =
    "<catalog><book id='bk101' lang='en'><author>Gambardella, Matthew</author><title>XML Developer's Guide</title>"
    "<price currency='USD'>44.95</price></book><book id='bk102'><title>Midnight Rain</title></book></catalog>";

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("options");
    const QString arg = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quillon"));
    window.resize(900, 640);
    window.move(40, 40);
    window.show();

    DocumentPane pane;
    test::LoadXml(pane, kSample);
    Options& o = options();
    DifferenceColors colors = DefaultDifferenceColors();
    ElementViewers viewers(&window);
    std::int32_t tip = 1803;
    ProgramRules& rules = programRules();
    rules.setCommonAttributes(u"xmlns version");
    rules.addRuleFor(*test::Find(pane, "book/price"), true);
    rules.setCurrentCondition({u"currency", false, 3, true, u"EUR"});
    rules.addRuleFor(*test::Find(pane, "book/title"), false);
    rules.setKeyAttribute(*test::Find(pane, "book"), u"id");

    QTimer::singleShot(100, [&] {
        if (what == QStringLiteral("options")) {
            auto* d = new OptionsDialog(o, colors, false, {}, &window);
            d->setCurrentPage(arg.toInt());
            d->show();
        } else if (what == QStringLiteral("tip")) {
            (new TipOfTheDayDialog(tip, &window))->show();
        } else if (what == QStringLiteral("about")) {
            (new AboutDialog(&window))->show();
        } else if (what == QStringLiteral("find")) {
            OpenFindDialog(&window)->setSearchText(QStringLiteral("price"));
        } else if (what == QStringLiteral("viewer")) {
            viewers.show(PaneSide::Left, test::Find(pane, "book"));
            viewers.show(PaneSide::Right, test::Find(pane, ""));
        } else if (what == QStringLiteral("ignore")) {
            (new IgnoreElementDialog(*test::Find(pane, "book/price"), rules, o, &window))->show();
        } else if (what == QStringLiteral("ignored")) {
            (new IgnoredElementsDialog(rules, o, &window))->show();
        } else if (what == QStringLiteral("key")) {
            (new KeyAttributeDialog(*test::Find(pane, "book"), rules, &window))->show();
        } else if (what == QStringLiteral("help")) {
            ShowHelpTopic(&window, arg.isEmpty() ? DefaultHelpTopic() : arg);
        }
    });
    return app.exec();
}
