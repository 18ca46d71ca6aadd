// SPDX-License-Identifier: MIT
#include <QFontDialog>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBrowser>

#include "model/document_pane.h"
#include "platform/notifier.h"
#include "settings/options.h"
#include "support/load_xml.h"
#include "ui/dialogs/element_font.h"
#include "ui/dialogs/element_viewer.h"
#include "ui/dialogs/find_dialog.h"
#include "ui/dialogs/help.h"
#include "ui/dialogs/tip_of_the_day_dialog.h"
#include "ui/dialogs/tips.h"
#include "ui/dialogs/web_addresses.h"
#include "ui/message_box_notifier.h"
#include "ui/modal.h"

namespace quillon {
using namespace test;
namespace {

// Waits until deleteLater'd windows are gone.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace

class AuxiliaryWindowsTest : public QObject {
    Q_OBJECT
    std::vector<QUrl> m_opened;  // what would have gone to the browser

private Q_SLOTS:
    void init() {
        ResetOptions(options(), false);
        SetWebBaseAddress(S("https://pages.test/quillon"));
        SetAddressOpener([this](const QUrl& url) { m_opened.push_back(url); });
        m_opened.clear();
    }
    void cleanup() {
        if (FindDialog* d = ExistingFindDialog()) d->close();
        if (HelpWindow* w = ExistingHelpWindow()) w->close();
        settle();
        SetWebBaseAddress({});
    }

    // ---- Find ----

    void escapeClosesABoxWithHelpAndFocusGoesBackToFind() {
        QWidget owner;
        owner.show();
        MessageBoxNotifier boxes(&owner);
        FindDialog* d = OpenFindDialog(&owner);
        QVERIFY(QTest::qWaitForWindowActive(d));
        QWidget* boxParent = nullptr;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box) return;
            boxParent = box->parentWidget();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        const MessageAnswer a =
            boxes.showWithHelp(u"Fatal Error", u"x", MessageIcon::Error, MessageButtons::Ok, u"htm/validat.htm", u"");
        QCOMPARE(a, MessageAnswer::Ok);
        QCOMPARE(boxParent, d);  // the window manager gives the focus back to it
    }

    // ---- The element viewers and fonts ----

    void aViewerShowsOnceAndFollowsOnlyWhileOpen() {
        DocumentPane pane;
        QVERIFY(LoadXml(pane, "<r><book id='1'>Dune</book><book id='2'/></r>").ok);
        ElementViewers viewers(nullptr);
        viewers.show(PaneSide::Right, Find(pane, "book"));
        ElementViewer* v = viewers.viewer(PaneSide::Right);
        QVERIFY(v && v->isVisible());
        QVERIFY(v->textControl()->isReadOnly());
        // Showing again while open changes nothing, nor does a font chosen
        // meanwhile; the next element shows in it.
        viewers.show(PaneSide::Right, Find(pane, ""));
        QCOMPARE(viewers.viewer(PaneSide::Right), v);
        QCOMPARE(v->textControl()->toPlainText(), S("<book id=\"1\">Dune</book>"));
        const QFont before = v->textControl()->font();
        QFont chosen(S("Monospace"));
        chosen.setBold(true);
        viewers.setFont({chosen, 300});
        QCOMPARE(v->textControl()->font(), before);
        viewers.refresh(PaneSide::Right, Find(pane, ""));
        QCOMPARE(v->textControl()->toPlainText(), S("<r>...</r>"));
        QCOMPARE(v->textControl()->font().pointSizeF(), 15.0);
        QVERIFY(v->textControl()->font().bold());
        v->close();
        settle();
        QCOMPARE(viewers.viewer(PaneSide::Right), nullptr);
        viewers.refresh(PaneSide::Right, Find(pane, ""));  // closed: nothing to refresh
        QCOMPARE(viewers.viewer(PaneSide::Right), nullptr);
    }

    void theElementFontChooserCountsTwentiethsOfAPoint() {
        WhenModalOpens<QFontDialog>([](QFontDialog* d) {
            QFont big(S("Sans"));
            big.setPointSize(14);
            d->setCurrentFont(big);
            d->accept();
        });
        const std::optional<ElementWindowFont> chosen = ChooseElementFont(nullptr, {});
        QVERIFY(chosen && chosen->font);
        QCOMPARE(chosen->textHeight, 280);  // twentieths of a point
        WhenModalOpens<QFontDialog>([](QFontDialog* d) { d->reject(); });
        QVERIFY(!ChooseElementFont(nullptr, *chosen));
    }

    // ---- Tip of the Day ----
    void theButtonsStepAndTheBoxDecidesTheNextStart() {
        for (int tip = kFirstTip; tip <= kLastTip; ++tip)
            QVERIFY2(!TipText(tip).empty() && TipText(tip).size() <= 511, qPrintable(QString::number(tip)));
        for (const bool keep : {true, false}) {
            std::int32_t tip = 1842;
            TipOfTheDayDialog d(tip);
            QVERIFY(check(d, "ShowTipsOnStartup")->isChecked());
            click(d, "NextTip");
            QCOMPARE(tip, 1843);
            check(d, "ShowTipsOnStartup")->setChecked(keep);
            click(d, "Close");
            QCOMPARE(tip, keep ? 1801 : 0);  // the next start shows the next tip, or none
        }
        // Opened while tips are off and left with Escape: they are back on.
        std::int32_t tip = 0;
        WhenModalOpens<TipOfTheDayDialog>([](TipOfTheDayDialog* d) {
            QVERIFY(!check(*d, "ShowTipsOnStartup")->isChecked());
            QTest::keyClick(d, Qt::Key_Escape);
        });
        ShowTipOfTheDay(nullptr, tip);
        QCOMPARE(tip, 1801);
        // A stored number outside the tips shows the first one.
        tip = 4711;
        TipOfTheDayDialog d(tip);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.repaint();
        QCOMPARE(tip, 1801);
    }

    // ---- Help ----

    void everyLinkOfTheContentsLeadsToAPage() {
        ShowHelpTopic(nullptr, DefaultHelpTopic());
        QTextBrowser* b = ExistingHelpWindow()->browser();
        const QString html = b->toHtml();
        int links = 0;
        for (qsizetype at = html.indexOf(S("href=\"")); at >= 0; at = html.indexOf(S("href=\""), at + 1)) {
            const qsizetype end = html.indexOf(QLatin1Char('"'), at + 6);
            const QString target = html.mid(at + 6, end - at - 6);
            QVERIFY2(HelpTopicExists(S("htm/") + target), qPrintable(target));
            ++links;
        }
        QVERIFY(links >= 14);
    }

    // ---- The web pages ----

    void addressesCarryTheVersionAndAMessageCannotBreakTheQuery() {
        QCOMPARE(HomePageAddress().toString(), S("https://pages.test/quillon/"));
        QCOMPARE(UpdateCheckAddress().toString(), S("https://pages.test/quillon/check_update.php?version=471"));
        const QDateTime when(QDate(2026, 3, 7), QTime(9, 5, 4));
        QCOMPARE(SupportAddress(S("Support"), when).toString(),
                 S("https://pages.test/quillon/support.php?error=Support&sid=&data=&info=03/07/26+09:05:04+(4.71)"));
        const QUrl url = SupportAddress(S("a&sid=x #1"), when);
        QVERIFY(url.toString(QUrl::FullyEncoded).contains(S("error=a%26sid%3Dx%20%231&sid=&data=")));
        QVERIFY(url.fragment().isEmpty());
    }

    void notificationAsksFirstAndOpensOnlyOnYes() {
        RecordingNotifier messages;
        ScopedNotifier scope(messages);
        messages.answer = MessageAnswer::No;
        NotifyError(S("Creating the toolbar"), false);
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QVERIFY(messages.messages[0].text ==
                u"Error message 'Creating the toolbar'\n\nDo you want to send notification?");
        QCOMPARE(messages.messages[0].buttons, MessageButtons::YesNo);
        QVERIFY(m_opened.empty());

        messages.answer = MessageAnswer::Yes;
        NotifyError(S("Creating the toolbar"), false);
        QCOMPARE(m_opened.size(), std::size_t(1));
        QVERIFY(m_opened[0]
                    .toString(QUrl::FullyEncoded)
                    .startsWith(S("https://pages.test/quillon/support.php?error=Creating%20the%20toolbar&")));
        // Technical support opens without asking.
        NotifyError(S("Support"), true);
        QCOMPARE(messages.messages.size(), std::size_t(2));
        QCOMPARE(m_opened.size(), std::size_t(2));
    }
};

}  // namespace quillon

QTEST_MAIN(quillon::AuxiliaryWindowsTest)
#include "auxiliary_windows_test.moc"
