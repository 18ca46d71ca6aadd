// SPDX-License-Identifier: MIT
#include "ui/dialogs/options_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QWhatsThis>

#include "platform/notifier.h"
#include "settings/options.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/help.h"
#include "ui/modal.h"

namespace quillon {
using namespace test;
namespace {

// The pop-up of a "What's This" text is a top-level window of its own.
bool whatsThisShown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && QString::fromLatin1(w->metaObject()->className()) == S("QWhatsThat")) return true;
    return false;
}

struct Fixture {
    Options options;
    DifferenceColors colors = DefaultDifferenceColors();
    int settingsSaves = 0;
    OptionsDialogServices services() {
        OptionsDialogServices s;
        s.saveSettings = [this](const Options&) { ++settingsSaves; };
        return s;
    }
};

}  // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { SetFileNameAsker({}); }

    void controlsShowTheOptionsAndOkWritesThemBack() {
        Fixture f;
        Options& o = f.options;
        o.DoSchema = 0;
        o.SchemaValidation = 2;
        o.FlagComparsion = kIgnoreCaseBit;  // case-insensitive, white space counts
        o.CompareLevel = 1;
        SetDateCode(o, 3);
        o.NormalizeNumber = 1;
        o.DecimalPlaces = 4;
        o.Encoding = kEncodingDos;
        o.EncodingString = u"CP850";
        o.EndOfLine = 2;
        o.ExternalApplication = u"/usr/bin/xmlview";
        OptionsDialog d(o, f.colors, false, f.services());
        QVERIFY(!check(d, "DoSchema")->isChecked());
        QVERIFY(check(d, "DoNamespaces")->isChecked());
        QCOMPARE(child<QComboBox>(d, "SchemaValidation")->currentText(), S("Always"));
        QVERIFY(!check(d, "CaseSensitive")->isChecked());
        QVERIFY(!check(d, "IgnoreWhiteSpaces")->isChecked());
        QVERIFY(child<QRadioButton>(d, "CompareLevel1")->isChecked());
        QVERIFY(child<QRadioButton>(d, "NormalizeDate3")->isChecked());
        QCOMPARE(child<QSpinBox>(d, "DecimalPlaces")->value(), 4);
        QVERIFY(child<QSpinBox>(d, "DecimalPlaces")->isEnabled());
        auto* names = child<QComboBox>(d, "EncodingString");
        QCOMPARE(names->count(), 5);  // CP437, CP850, CP852, CP866, <none>
        QCOMPARE(names->currentText(), S("CP850"));
        QVERIFY(child<QRadioButton>(d, "EndOfLine2")->isChecked());
        QCOMPARE(child<QLineEdit>(d, "ExternalApplication")->text(), S("/usr/bin/xmlview"));
        // Off: the program box and its browse button are greyed.
        QVERIFY(!child<QLineEdit>(d, "ExternalApplication")->isEnabled());
        QVERIFY(!child<QPushButton>(d, "Browse")->isEnabled());
        child<QListWidget>(d, "PageList")->setCurrentRow(5);
        QCOMPARE(d.currentPage(), int(OptionsDialog::Colors));

        // Changed and confirmed: every control is written back and the settings saved.
        check(d, "SchemaFullChecking")->setChecked(true);
        check(d, "IgnoreWhiteSpaces")->setChecked(true);
        check(d, "IgnoreOrderElements")->setChecked(false);
        child<QRadioButton>(d, "CompareLevel0")->setChecked(true);
        child<QRadioButton>(d, "NormalizeDate2")->setChecked(true);
        child<QRadioButton>(d, "EndOfLine0")->setChecked(true);
        check(d, "DisplayConfirmation")->setChecked(false);
        check(d, "HighlightChars")->setChecked(true);
        child<QComboBox>(d, "SchemaValidation")->setCurrentIndex(0);
        click(d, "OK");
        QCOMPARE(f.settingsSaves, 1);
        QCOMPARE(o.SchemaFullChecking, std::uint8_t(1));
        QCOMPARE(o.FlagComparsion, kIgnoreWhiteSpaceBit | kIgnoreCaseBit);
        QCOMPARE(o.IgnoreOrderElements, 0u);
        QCOMPARE(o.CompareLevel, 0u);
        QCOMPARE(o.PairSumLimit, 0u);  // derived again from the level
        QCOMPARE(GetDateCode(o), 2u);
        QCOMPARE(o.NormalizeDate, 2u);
        QCOMPARE(o.EndOfLine, 0u);
        QCOMPARE(o.DisplayConfirmation, 0u);
        QCOMPARE(o.HighlightChars, 1u);
        QCOMPARE(o.SchemaValidation, 0u);
    }

    void decimalPlacesOnlyWhileNormalizingAndCancelChangesNothingElse() {
        Fixture f;
        {
            OptionsDialog d(f.options, f.colors, false, f.services());
            QVERIFY(!child<QSpinBox>(d, "DecimalPlaces")->isEnabled());
            check(d, "NormalizeNumber")->click();
            child<QSpinBox>(d, "DecimalPlaces")->setValue(3);
            click(d, "OK");
            QCOMPARE(f.options.NormalizeNumber, 1u);
            QCOMPARE(f.options.DecimalPlaces, 3);
        }
        OptionsDialog d(f.options, f.colors, false, f.services());
        check(d, "IgnoreAttributes")->setChecked(true);
        // Switching normalizing off ends the rounding at once, even if cancelled.
        check(d, "NormalizeNumber")->click();
        QCOMPARE(f.options.DecimalPlaces, -1);
        QVERIFY(!child<QSpinBox>(d, "DecimalPlaces")->isEnabled());
        click(d, "Cancel");
        QCOMPARE(f.settingsSaves, 1);
        QCOMPARE(f.options.IgnoreAttributes, 0u);
        QCOMPARE(f.options.NormalizeNumber, 1u);
    }

    void anEncodingFamilyRefillsTheNamesAndLongNamesAreNone() {
        Fixture f;
        OptionsDialog d(f.options, f.colors, false, f.services());
        auto* family = child<QComboBox>(d, "Encoding");
        auto* names = child<QComboBox>(d, "EncodingString");
        QCOMPARE(names->count(), 1);  // "Default" offers only <none>
        family->setCurrentIndex(4);
        Q_EMIT family->activated(4);
        QCOMPARE(names->count(), 3);
        QCOMPARE(names->currentText(), S("Unicode"));
        names->setCurrentIndex(1);
        d.readControls();
        QCOMPARE(f.options.Encoding, 4u);
        QVERIFY(f.options.EncodingString == u"UTF-16");
        for (const auto& [typed, stored] : {std::pair{QString(31, QLatin1Char('x')), std::u16string(31, u'x')},
                                            std::pair{QString(32, QLatin1Char('x')), std::u16string(u"<none>")},
                                            std::pair{QString(), std::u16string(u"<none>")}}) {
            names->setEditText(typed);
            d.readControls();
            QVERIFY(f.options.EncodingString == stored);
        }
    }

    void externalApplicationRulesAndBrowse() {
        Fixture f;
        f.options.OpenAfterSave = 1;
        OptionsDialog d(f.options, f.colors, false, f.services());
        auto* edit = child<QLineEdit>(d, "ExternalApplication");
        QVERIFY(edit->isEnabled());
        edit->clear();
        d.readControls();
        QVERIFY(f.options.ExternalApplication == u"default");
        edit->setText(QString(255, QLatin1Char('a')));
        d.readControls();
        QVERIFY(f.options.ExternalApplication == u"default");  // too long: unchanged

        FileRequest asked;
        SetFileNameAsker([&](QWidget*, const FileRequest& r) {
            asked = r;
            return S("/opt/viewer/bin/viewer");
        });
        click(d, "Browse");
        QCOMPARE(asked.mode, FileDialogMode::Open);
        QVERIFY(asked.startFolder.isEmpty());
        QCOMPARE(edit->text(), S("/opt/viewer/bin/viewer"));
        check(d, "OpenAfterSave")->click();
        QVERIFY(!edit->isEnabled());
    }

    void defaultResetsAtOnceButNotTheNameCaseOfALoadedDocument() {
        for (const bool loaded : {false, true}) {
            Fixture f;
            f.options.IgnoreValues = 1;
            f.options.XMLElementCaseSensitive = f.options.XMLAttributeCaseSensitive = 0;
            f.options.TipOfTheDay = 1820;
            f.colors[0] = Qt::blue;
            OptionsDialog d(f.options, f.colors, loaded, f.services());
            QCOMPARE(check(d, "XMLElementCaseSensitive")->isEnabled(), !loaded);
            QCOMPARE(check(d, "XMLAttributeCaseSensitive")->isEnabled(), !loaded);
            d.setCurrentPage(OptionsDialog::Colors);  // only the working colours
            click(d, "Default");
            QCOMPARE(d.workingColors()[0], QColor(210, 255, 210));
            QCOMPARE(f.colors[0], QColor(Qt::blue));
            QCOMPARE(f.options.IgnoreValues, 1u);
            d.setCurrentPage(OptionsDialog::Comparison);
            click(d, "Default");
            QVERIFY(!check(d, "IgnoreValues")->isChecked());
            click(d, "Cancel");
            QCOMPARE(f.options.IgnoreValues, 0u);  // reset at once, even though cancelled
            QCOMPARE(f.options.XMLElementCaseSensitive, loaded ? 0u : 1u);
            QCOMPARE(f.options.XMLAttributeCaseSensitive, loaded ? 0u : 1u);
            QCOMPARE(f.options.TipOfTheDay, 1820);  // not a resettable option
        }
    }

    void saveWritesTheShownOptionsToTheChosenFileAndStaysOpen() {
        Fixture f;
        QTemporaryDir dir;
        f.options.OptionsDir = u"/settings/";
        std::vector<FileRequest> asked;
        QString answer = dir.filePath(S("mine.ini"));
        SetFileNameAsker([&](QWidget*, const FileRequest& r) {
            asked.push_back(r);
            return answer;
        });
        RecordingNotifier messages;
        ScopedNotifier scope(messages);
        OptionsDialog d(f.options, f.colors, false, f.services());  // no writer given: the program's own
        d.show();
        child<QRadioButton>(d, "CompareLevel2")->setChecked(true);
        click(d, "Save");
        QCOMPARE(asked.at(0).mode, FileDialogMode::Save);
        QCOMPARE(asked.at(0).startFolder, S("/settings/"));
        QFile file(answer);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("CompareLevel=2\r\n"));
        QCOMPARE(QString::fromStdU16String(f.options.OptionsDir), QDir::toNativeSeparators(dir.path() + S("/")));
        QVERIFY(d.isVisible());
        QVERIFY(messages.messages.empty());
        // A file that cannot be written is told; a cancelled file dialog writes nothing, says nothing.
        answer = dir.filePath(S("no/such/folder/x.ini"));
        click(d, "Save");
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QVERIFY(messages.messages[0].title == u"Error");
        answer.clear();
        click(d, "Save");
        QCOMPARE(messages.messages.size(), std::size_t(1));
        click(d, "Cancel");
        QCOMPARE(f.options.CompareLevel, 2u);  // read before the file was written
    }

    void okKeepsWhatTheControlsCannotShow() {
        Fixture f;
        f.options.SchemaValidation = 7;  // outside their ranges
        f.options.CompareLevel = 9;
        f.options.Encoding = 12;
        {
            OptionsDialog d(f.options, f.colors, false, f.services());
            check(d, "DisplayOnlyDifferences")->setChecked(true);  // a view mode, no option
            click(d, "OK");
        }
        QCOMPARE(f.options.SchemaValidation, 7u);
        QCOMPARE(f.options.CompareLevel, 9u);
        QCOMPARE(f.options.Encoding, 12u);
        OptionsDialog again(f.options, f.colors, false, f.services());
        QVERIFY(!check(again, "DisplayOnlyDifferences")->isChecked());
    }

    void f1ShowsTheFocusedControlsPopupOrElseThePagesTopic() {
        Fixture f;
        f.options.OpenAfterSave = 1;
        OptionsDialog d(f.options, f.colors, false, f.services());
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        check(d, "DoSchema")->setFocus();
        QTest::keyClick(check(d, "DoSchema"), Qt::Key_F1);
        QVERIFY(whatsThisShown());
        QWhatsThis::hideText();
        // A control without a pop-up of its own: the page's topic.
        d.setCurrentPage(OptionsDialog::OutputFile);
        QPushButton* browse = child<QPushButton>(d, "Browse");
        browse->setFocus();
        QTest::keyClick(browse, Qt::Key_F1);
        QCOMPARE(ExistingHelpWindow()->browser()->source(), HelpTopicUrl(S("htm/openout.htm")));
        ExistingHelpWindow()->close();
    }

    void everyOptionControlHasContextHelp() {
        Fixture f;
        OptionsDialog d(f.options, f.colors, false, f.services());
        const QStringList exempt{S("OK"), S("Cancel"), S("Help"), S("Browse")};
        const QList<QAbstractButton*> buttons = d.findChildren<QAbstractButton*>();
        QVERIFY(buttons.size() > 40);
        for (QAbstractButton* b : buttons)
            QVERIFY2(b->whatsThis().isEmpty() == exempt.contains(b->objectName()), qPrintable(b->objectName()));
    }

    void whatFollowsTheDialogDependsOnWhatChanged() {
        struct Case {
            const char* name;
            void (*change)(Options&);
            bool loaded;
            AfterOptions action;
        };
        const Case cases[] = {
            {"namespaces, loaded", [](Options& o) { o.IgnoreNamespaces = 1; }, true, AfterOptions::AskReload},
            {"namespaces, nothing loaded", [](Options& o) { o.IgnoreNamespaces = 1; }, false, AfterOptions::Repaint},
            {"decimal places", [](Options& o) { o.DecimalPlaces = 2; }, true, AfterOptions::AskReload},
            {"date flag", [](Options& o) { o.FlagNormalizeDate = 1; }, true, AfterOptions::AskReload},
            {"numbers", [](Options& o) { o.NormalizeNumber = 1; }, true, AfterOptions::AskReload},
            {"dates", [](Options& o) { o.NormalizeDate = 1; }, true, AfterOptions::AskReload},
            {"level", [](Options& o) { o.CompareLevel = 0; }, true, AfterOptions::Recompare},
            {"values", [](Options& o) { o.IgnoreValues = 1; }, true, AfterOptions::Recompare},
            {"unique", [](Options& o) { o.UniqueAttributes = 1; }, true, AfterOptions::Recompare},
            {"attributes", [](Options& o) { o.IgnoreAttributes = 1; }, true, AfterOptions::Recompare},
            {"flags", [](Options& o) { o.FlagComparsion = 1; }, true, AfterOptions::Recompare},
            {"order", [](Options& o) { o.IgnoreOrderElements ^= 1; }, true, AfterOptions::Recompare},
            {"related only", [](Options& o) { o.PairRelatedOnly ^= 1; }, true, AfterOptions::Recompare},
            {"reload wins over compare", [](Options& o) { o.IgnoreNamespaces = 1, o.CompareLevel = 0; }, true,
             AfterOptions::AskReload},
            {"highlight", [](Options& o) { o.HighlightChars = 1; }, true, AfterOptions::Repaint},
        };
        for (const Case& c : cases) {
            Options o;
            const OptionsNote before = NoteOptions(o);
            c.change(o);
            const OptionsOutcome r = DecideAfterOptions(before, o, c.loaded);
            QVERIFY2(r.action == c.action, c.name);
            QVERIFY2(!r.itemHeightsChanged, c.name);
        }
        Options o;
        const OptionsNote before = NoteOptions(o);
        o.DisplayFullMode = 0;
        QVERIFY(DecideAfterOptions(before, o, true).itemHeightsChanged);
    }
};

}  // namespace quillon

QTEST_MAIN(quillon::OptionsDialogTest)
#include "options_dialog_test.moc"
