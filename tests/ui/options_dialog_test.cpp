// SPDX-License-Identifier: MIT
#include "ui/dialogs/options_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
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
namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

template <typename W>
W* child(QWidget& dialog, const char* name) {
    W* w = dialog.findChild<W*>(S(name));
    if (!w) qFatal("no control %s", name);
    return w;
}

QCheckBox* check(QWidget& d, const char* name) {
    return child<QCheckBox>(d, name);
}
void click(QWidget& d, const char* name) {
    child<QAbstractButton>(d, name)->click();
}

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

    void opensOnTheFirstPageWithSevenIndentedEntries() {
        Fixture f;
        OptionsDialog d(f.options, f.colors, false, f.services());
        QCOMPARE(d.windowTitle(), S("XML Options"));
        auto* list = child<QListWidget>(d, "PageList");
        QCOMPARE(list->count(), 7);
        QCOMPARE(list->item(0)->text(), S("   Validation"));
        QCOMPARE(list->item(3)->text(), S("   Output file"));
        QCOMPARE(list->item(6)->text(), S("   Advanced"));
        QCOMPARE(d.currentPage(), 0);
        list->setCurrentRow(5);
        QCOMPARE(d.currentPage(), int(OptionsDialog::Colors));
    }

    void controlsShowTheOptions() {
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
        QCOMPARE(child<QRadioButton>(d, "CompareLevel1")->text(), S("Fast"));
        QVERIFY(child<QRadioButton>(d, "NormalizeDate3")->isChecked());
        QCOMPARE(child<QSpinBox>(d, "DecimalPlaces")->value(), 4);
        QVERIFY(child<QSpinBox>(d, "DecimalPlaces")->isEnabled());
        auto* names = child<QComboBox>(d, "EncodingString");
        QCOMPARE(names->count(), 5);  // CP437, CP850, CP852, CP866, <none>
        QCOMPARE(names->itemText(4), S("<none>"));
        QCOMPARE(names->currentText(), S("CP850"));
        QVERIFY(child<QRadioButton>(d, "EndOfLine2")->isChecked());
        QCOMPARE(child<QLineEdit>(d, "ExternalApplication")->text(), S("/usr/bin/xmlview"));
        // Off: the program box and its browse button are greyed.
        QVERIFY(!child<QLineEdit>(d, "ExternalApplication")->isEnabled());
        QVERIFY(!child<QPushButton>(d, "Browse")->isEnabled());
    }

    void okWritesEveryControlBackAndSavesTheSettings() {
        Fixture f;
        OptionsDialog d(f.options, f.colors, false, f.services());
        check(d, "SchemaFullChecking")->setChecked(true);
        check(d, "CaseSensitive")->setChecked(false);
        check(d, "IgnoreWhiteSpaces")->setChecked(true);
        check(d, "IgnoreOrderElements")->setChecked(false);
        child<QRadioButton>(d, "CompareLevel0")->setChecked(true);
        child<QRadioButton>(d, "NormalizeDate2")->setChecked(true);
        child<QRadioButton>(d, "EndOfLine0")->setChecked(true);
        check(d, "DisplayConfirmation")->setChecked(false);
        check(d, "HighlightChars")->setChecked(true);
        child<QComboBox>(d, "SchemaValidation")->setCurrentIndex(0);
        click(d, "OK");
        const Options& o = f.options;
        QCOMPARE(d.result(), int(QDialog::Accepted));
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

    void cancelChangesNothingButSwitchingNormalizeOffEndsRoundingAtOnce() {
        Fixture f;
        f.options.NormalizeNumber = 1;
        f.options.DecimalPlaces = 3;
        OptionsDialog d(f.options, f.colors, false, f.services());
        check(d, "IgnoreAttributes")->setChecked(true);
        check(d, "NormalizeNumber")->click();
        QCOMPARE(f.options.DecimalPlaces, -1);
        QCOMPARE(child<QSpinBox>(d, "DecimalPlaces")->value(), -1);
        QVERIFY(!child<QSpinBox>(d, "DecimalPlaces")->isEnabled());
        click(d, "Cancel");
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(f.settingsSaves, 0);
        QCOMPARE(f.options.IgnoreAttributes, 0u);
        QCOMPARE(f.options.NormalizeNumber, 1u);
        QCOMPARE(f.options.DecimalPlaces, -1);
    }

    void decimalPlacesAreReadOnlyWhileNormalizing() {
        Fixture f;
        OptionsDialog d(f.options, f.colors, false, f.services());
        QVERIFY(!child<QSpinBox>(d, "DecimalPlaces")->isEnabled());
        check(d, "NormalizeNumber")->click();
        QVERIFY(child<QSpinBox>(d, "DecimalPlaces")->isEnabled());
        child<QSpinBox>(d, "DecimalPlaces")->setValue(2);
        click(d, "OK");
        QCOMPARE(f.options.NormalizeNumber, 1u);
        QCOMPARE(f.options.DecimalPlaces, 2);
    }

    void choosingAnEncodingFamilyRefillsTheNames() {
        Fixture f;
        OptionsDialog d(f.options, f.colors, false, f.services());
        auto* family = child<QComboBox>(d, "Encoding");
        auto* names = child<QComboBox>(d, "EncodingString");
        QCOMPARE(names->count(), 1);  // "Default" offers only <none>
        family->setCurrentIndex(4);
        Q_EMIT family->activated(4);
        QCOMPARE(names->count(), 3);
        QCOMPARE(names->currentText(), S("Unicode"));
        QCOMPARE(names->itemText(1), S("UTF-16"));
        names->setCurrentIndex(1);
        click(d, "OK");
        QCOMPARE(f.options.Encoding, 4u);
        QVERIFY(f.options.EncodingString == u"UTF-16");
    }

    void encodingNamesLongerThan31CharactersAreStoredAsNone() {
        Fixture f;
        OptionsDialog d(f.options, f.colors, false, f.services());
        auto* names = child<QComboBox>(d, "EncodingString");
        names->setEditText(QString(31, QLatin1Char('x')));
        d.readControls();
        QCOMPARE(f.options.EncodingString.size(), std::size_t(31));
        names->setEditText(QString(32, QLatin1Char('x')));
        d.readControls();
        QVERIFY(f.options.EncodingString == u"<none>");
        names->setEditText(QString());
        d.readControls();
        QVERIFY(f.options.EncodingString == u"<none>");
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
        QCOMPARE(asked.title, S("Browse"));
        QCOMPARE(asked.mode, FileDialogMode::Open);
        QVERIFY(asked.startFolder.isEmpty());
        QCOMPARE(edit->text(), S("/opt/viewer/bin/viewer"));
        check(d, "OpenAfterSave")->click();
        QVERIFY(!edit->isEnabled());
    }

    void nameCaseSwitchesAreLockedWhileADocumentIsLoaded() {
        Fixture f;
        f.options.XMLElementCaseSensitive = 0;
        f.options.CompareLevel = 0;
        OptionsDialog d(f.options, f.colors, true, f.services());
        QVERIFY(!check(d, "XMLElementCaseSensitive")->isEnabled());
        QVERIFY(!check(d, "XMLAttributeCaseSensitive")->isEnabled());
        d.setCurrentPage(OptionsDialog::Validation);
        click(d, "Default");
        QCOMPARE(f.options.CompareLevel, 3u);
        QCOMPARE(f.options.XMLElementCaseSensitive, 0u);
        click(d, "OK");
        QCOMPARE(f.options.XMLElementCaseSensitive, 0u);
    }

    void defaultOnAnOptionsPageResetsAtOnceEvenIfCancelled() {
        Fixture f;
        f.options.IgnoreValues = 1;
        f.options.XMLAttributeCaseSensitive = 0;
        f.options.TipOfTheDay = 1820;
        OptionsDialog d(f.options, f.colors, false, f.services());
        d.setCurrentPage(OptionsDialog::Comparison);
        click(d, "Default");
        QVERIFY(!check(d, "IgnoreValues")->isChecked());
        QVERIFY(check(d, "XMLAttributeCaseSensitive")->isChecked());
        click(d, "Cancel");
        QCOMPARE(f.options.IgnoreValues, 0u);
        QCOMPARE(f.options.XMLAttributeCaseSensitive, 1u);
        QCOMPARE(f.options.TipOfTheDay, 1820);  // not a resettable option
    }

    void defaultOnTheColorsPageResetsOnlyTheWorkingColours() {
        Fixture f;
        f.colors[0] = Qt::blue;
        f.options.IgnoreValues = 1;
        OptionsDialog d(f.options, f.colors, false, f.services());
        d.setCurrentPage(OptionsDialog::Colors);
        click(d, "Default");
        QCOMPARE(d.workingColors()[0], QColor(210, 255, 210));
        QCOMPARE(f.colors[0], QColor(Qt::blue));
        QCOMPARE(f.options.IgnoreValues, 1u);
    }

    void coloursConvertToTheStoredFormAndBack() {
        const DifferenceColors d = DefaultDifferenceColors();
        QCOMPARE(d[kChangedNameBackground], QColor(210, 255, 210));
        QCOMPARE(d[kSelectedDeletedNameBackground], QColor(160, 0, 0));
        QCOMPARE(d[kDeletedElementText], QColor(127, 0, 0));
        Palette p = DefaultPalette();
        p[4] = Rgb(1, 2, 3);
        QVERIFY(PaletteFromColors(ColorsFromPalette(p)) == p);
        QCOMPARE(ColorsFromPalette(p)[4], QColor(1, 2, 3));
    }

    void changeOpensTheColourChooserOnTheSelectedEntry() {
        Fixture f;
        OptionsDialog d(f.options, f.colors, false, f.services());
        d.setCurrentPage(OptionsDialog::Colors);
        auto* list = child<QComboBox>(d, "ColorList");
        QCOMPARE(list->count(), 11);
        QCOMPARE(list->itemText(10), S("CONTENT:Deleted element:Foregroung"));
        list->setCurrentIndex(3);
        QColor offered;
        test::WhenModalOpens<QColorDialog>([&](QColorDialog* c) {
            offered = c->currentColor();
            c->setCurrentColor(QColor(1, 2, 3));
            c->accept();
        });
        click(d, "Change");
        QCOMPARE(offered, QColor(160, 0, 0));
        QCOMPARE(d.workingColors()[3], QColor(1, 2, 3));

        test::WhenModalOpens<QColorDialog>([](QColorDialog* c) {
            c->setCurrentColor(Qt::yellow);
            c->reject();
        });
        click(d, "Change");
        QCOMPARE(d.workingColors()[3], QColor(1, 2, 3));
    }

    void okHandsTheWorkingColoursToThePainterAndCancelDoesNot() {
        Fixture f;
        test::WhenModalOpens<OptionsDialog>([](OptionsDialog* d) {
            d->setCurrentPage(OptionsDialog::Colors);
            test::WhenModalOpens<QColorDialog>([](QColorDialog* c) {
                c->setCurrentColor(QColor(9, 9, 9));
                c->accept();
            });
            click(*d, "Change");
            click(*d, "Cancel");
        });
        OptionsOutcome outcome = ShowOptionsDialog(nullptr, f.options, f.colors, false, f.services());
        QCOMPARE(outcome.action, AfterOptions::Nothing);
        QCOMPARE(f.colors[0], QColor(210, 255, 210));

        test::WhenModalOpens<OptionsDialog>([](OptionsDialog* d) {
            d->setCurrentPage(OptionsDialog::Colors);
            test::WhenModalOpens<QColorDialog>([](QColorDialog* c) {
                c->setCurrentColor(QColor(9, 9, 9));
                c->accept();
            });
            click(*d, "Change");
            click(*d, "OK");
        });
        outcome = ShowOptionsDialog(nullptr, f.options, f.colors, false, f.services());
        QCOMPARE(outcome.action, AfterOptions::Repaint);
        QCOMPARE(f.colors[0], QColor(9, 9, 9));
    }

    void saveWritesTheShownOptionsToTheChosenFileAndStaysOpen() {
        Fixture f;
        f.options.OptionsDir = u"/settings/";
        QString written;
        std::uint32_t levelWritten = 99;
        OptionsDialogServices s = f.services();
        s.writeOptionsFile = [&](const QString& path, const Options& o) {
            written = path;
            levelWritten = o.CompareLevel;
            return true;
        };
        FileRequest asked;
        SetFileNameAsker([&](QWidget*, const FileRequest& r) {
            asked = r;
            return S("/tmp/quillon-test/mine.ini");
        });
        OptionsDialog d(f.options, f.colors, false, s);
        d.show();
        child<QRadioButton>(d, "CompareLevel2")->setChecked(true);
        click(d, "Save");
        QCOMPARE(asked.title, S("Save Options to file"));
        QCOMPARE(asked.mode, FileDialogMode::Save);
        QCOMPARE(asked.startFolder, S("/settings/"));
        QCOMPARE(written, S("/tmp/quillon-test/mine.ini"));
        QCOMPARE(levelWritten, 2u);
        QVERIFY(f.options.OptionsDir == u"/tmp/quillon-test/");
        QVERIFY(d.isVisible());
        click(d, "Cancel");
        QCOMPARE(f.options.CompareLevel, 2u);  // read before the file was written
    }

    void saveWritesARealSettingsFileThatReadsBack() {
        Fixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath(S("options.ini"));
        SetFileNameAsker([&](QWidget*, const FileRequest&) { return path; });
        OptionsDialog d(f.options, f.colors, false, f.services());  // no writer given: the program's own
        child<QRadioButton>(d, "CompareLevel1")->setChecked(true);
        check(d, "IgnoreWhiteSpaces")->setChecked(true);
        click(d, "Save");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("CompareLevel=1\r\n"));
        QVERIFY(text.contains("IgnoreWhitespaces=1\r\n"));
        QVERIFY(text.contains("Encoding=<none>"));

        RecordingNotifier messages;
        ScopedNotifier scope(messages);
        SetFileNameAsker([&](QWidget*, const FileRequest&) { return dir.filePath(S("no/such/folder/x.ini")); });
        click(d, "Save");
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QVERIFY(messages.messages[0].title == u"Error");
    }

    void aFileThatCannotBeWrittenIsReported() {
        Fixture f;
        OptionsDialogServices s = f.services();
        s.writeOptionsFile = [](const QString&, const Options&) { return false; };
        SetFileNameAsker([](QWidget*, const FileRequest&) { return S("/no/such/folder/x.ini"); });
        RecordingNotifier messages;
        ScopedNotifier scope(messages);
        OptionsDialog d(f.options, f.colors, false, s);
        click(d, "Save");
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QVERIFY(messages.messages[0].title == u"Error");

        // Cancelling the file dialog writes nothing and says nothing.
        SetFileNameAsker([](QWidget*, const FileRequest&) { return QString(); });
        click(d, "Save");
        QCOMPARE(messages.messages.size(), std::size_t(1));
    }

    void displayOnlyDifferencesStandsForNoOption() {
        Fixture f;
        const Options before = f.options;
        OptionsDialog d(f.options, f.colors, false, f.services());
        QVERIFY(!check(d, "DisplayOnlyDifferences")->isChecked());
        check(d, "DisplayOnlyDifferences")->setChecked(true);
        d.readControls();
        OptionsDialog again(f.options, f.colors, false, f.services());
        QVERIFY(!check(again, "DisplayOnlyDifferences")->isChecked());
        QCOMPARE(NoteOptions(f.options).CompareLevel, NoteOptions(before).CompareLevel);
    }

    void storedValuesOutsideTheirRangeSurviveOk() {
        Fixture f;
        f.options.SchemaValidation = 7;
        f.options.CompareLevel = 9;
        f.options.Encoding = 12;
        OptionsDialog d(f.options, f.colors, false, f.services());
        click(d, "OK");
        QCOMPARE(f.options.SchemaValidation, 7u);
        QCOMPARE(f.options.CompareLevel, 9u);
        QCOMPARE(f.options.Encoding, 12u);
    }

    void helpOpensTheTopicOfTheCurrentPage() {
        Fixture f;
        OptionsDialog d(f.options, f.colors, false, f.services());
        for (int page = 0; page < OptionsDialog::PageCount; ++page)
            QVERIFY2(HelpTopicExists(OptionsDialog::pageTopic(page)), qPrintable(OptionsDialog::pageTopic(page)));
        d.setCurrentPage(OptionsDialog::Normalization);
        click(d, "Help");
        QVERIFY(ExistingHelpWindow());
        QCOMPARE(ExistingHelpWindow()->browser()->source(), HelpTopicUrl(S("htm/normal.htm")));
        ExistingHelpWindow()->close();
    }

    void f1ShowsTheFocusedControlsPopupOrElseThePagesTopic() {
        Fixture f;
        OptionsDialog d(f.options, f.colors, false, f.services());
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCheckBox* schema = check(d, "DoSchema");
        schema->setFocus();
        QTest::keyClick(schema, Qt::Key_F1);
        QVERIFY(whatsThisShown());
        QWhatsThis::hideText();
        QVERIFY(!whatsThisShown());

        // The context menu on a control shows the same pop-up.
        QCheckBox* messages = check(d, "DisplayMessages");
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(2, 2), messages->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(messages, &menu);
        QVERIFY(whatsThisShown());
        QWhatsThis::hideText();

        d.setCurrentPage(OptionsDialog::OutputFile);
        f.options.OpenAfterSave = 1;
        d.loadControls();
        QPushButton* browse = child<QPushButton>(d, "Browse");
        browse->setFocus();
        QTest::keyClick(browse, Qt::Key_F1);
        QVERIFY(ExistingHelpWindow());
        QCOMPARE(ExistingHelpWindow()->browser()->source(), HelpTopicUrl(S("htm/openout.htm")));
        ExistingHelpWindow()->close();
        d.close();
    }

    void everyOptionControlHasContextHelp() {
        Fixture f;
        OptionsDialog d(f.options, f.colors, false, f.services());
        int withHelp = 0;
        for (QAbstractButton* b : d.findChildren<QAbstractButton*>()) {
            const bool exempt = b->objectName() == S("OK") || b->objectName() == S("Cancel") ||
                                b->objectName() == S("Help") || b->objectName() == S("Browse");
            if (exempt)
                QVERIFY(b->whatsThis().isEmpty());
            else
                QVERIFY2(!b->whatsThis().isEmpty(), qPrintable(b->objectName()));
            withHelp += !b->whatsThis().isEmpty();
        }
        QVERIFY(withHelp > 40);
    }
};

class OptionsDecisionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void namespacesWithADocumentAskToReloadAndDoNotCompare() {
        Options o;
        const OptionsNote before = NoteOptions(o);
        o.IgnoreNamespaces = 1;
        o.CompareLevel = 0;
        const OptionsOutcome r = DecideAfterOptions(before, o, true);
        QCOMPARE(r.action, AfterOptions::AskReload);
        QVERIFY(!r.itemHeightsChanged);
    }

    void namespacesWithoutADocumentOnlyRepaint() {
        Options o;
        const OptionsNote before = NoteOptions(o);
        o.IgnoreNamespaces = 1;
        QCOMPARE(DecideAfterOptions(before, o, false).action, AfterOptions::Repaint);
    }

    void everyNormalizationOptionAsksToReload() {
        for (int which = 0; which < 4; ++which) {
            Options o;
            const OptionsNote before = NoteOptions(o);
            if (which == 0) o.DecimalPlaces = 2;
            if (which == 1) o.FlagNormalizeDate = 1;
            if (which == 2) o.NormalizeNumber = 1;
            if (which == 3) o.NormalizeDate = 1;
            QCOMPARE(DecideAfterOptions(before, o, true).action, AfterOptions::AskReload);
        }
    }

    void comparisonOptionsCompareAgainWithoutAsking() {
        for (int which = 0; which < 6; ++which) {
            Options o;
            const OptionsNote before = NoteOptions(o);
            if (which == 5) o.IgnoreOrderElements = o.IgnoreOrderElements ? 0 : 1;
            if (which == 0) o.CompareLevel = 0;
            if (which == 1) o.IgnoreValues = 1;
            if (which == 2) o.UniqueAttributes = 1;
            if (which == 3) o.IgnoreAttributes = 1;
            if (which == 4) o.FlagComparsion = 1;
            QCOMPARE(DecideAfterOptions(before, o, true).action, AfterOptions::Recompare);
        }
    }

    void multiLineModeResetsItemHeightsAndThenRepaints() {
        Options o;
        const OptionsNote before = NoteOptions(o);
        o.DisplayFullMode = 0;
        o.HighlightChars = 1;
        const OptionsOutcome r = DecideAfterOptions(before, o, true);
        QCOMPARE(r.action, AfterOptions::Repaint);
        QVERIFY(r.itemHeightsChanged);
    }
};

}  // namespace quillon

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillon::OptionsDialogTest dialog;
    quillon::OptionsDecisionTest decision;
    return QTest::qExec(&dialog, argc, argv) | QTest::qExec(&decision, argc, argv);
}

#include "options_dialog_test.moc"
