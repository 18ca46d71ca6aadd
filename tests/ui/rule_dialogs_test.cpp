// SPDX-License-Identifier: MIT
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "model/document_pane.h"
#include "platform/notifier.h"
#include "rules/ignore_rules.h"
#include "rules/key_elements.h"
#include "settings/options.h"
#include "support/load_xml.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/ignore_element_dialog.h"
#include "ui/dialogs/ignored_elements_dialog.h"
#include "ui/dialogs/key_attribute_dialog.h"
#include "ui/dialogs/program_rules.h"
#include "ui/dialogs/rule_commands.h"
#include "ui/modal.h"

namespace quillon {
namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

template <typename W>
W* child(QWidget& w, const char* name) {
    W* c = w.findChild<W*>(S(name));
    if (!c) qFatal("no control %s", name);
    return c;
}
void click(QWidget& d, const char* name) {
    child<QAbstractButton>(d, name)->click();
}
QCheckBox* check(QWidget& d, const char* name) {
    return child<QCheckBox>(d, name);
}
QRadioButton* radio(QWidget& d, const char* name) {
    return child<QRadioButton>(d, name);
}

QStringList texts(QListWidget* list, bool selectedOnly = false) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (!selectedOnly || list->item(i)->isSelected()) out << list->item(i)->text();
    return out;
}
void select(QListWidget* list, const QString& text) {
    list->findItems(text, Qt::MatchExactly).front()->setSelected(true);
}

const char* kCatalog =
    "<catalog><book id='1' rev='2' lang='en'><item code='a'><sub/></item></book>"
    "<shelf><item code='b'/></shelf><book id='2'/></catalog>";

// The program's own rule set, emptied for every case.
struct Fixture {
    Fixture() : options(quillon::options()) {
        ResetOptions(options, false);
        ResetIgnoreRules();
        ResetKeys();
        if (!test::LoadXml(pane, kCatalog).ok) qFatal("sample did not load");
    }
    ~Fixture() {
        ResetIgnoreRules();
        ResetKeys();
    }
    ElementRecord& at(const char* path) { return *test::Find(pane, path); }
    IgnoreRule& rule(std::size_t i) { return *ignoreRules().rules.at(i); }
    bool changed() const { return ignoreRules().rulesChanged; }
    void setCommon(std::u16string_view names) {
        SetCommonAttributes(names);
        ignoreRules().rulesChanged = false;
    }
    Options& options;
    DocumentPane pane;
    ProgramRules& rules = programRules();
};

using Names = std::vector<std::u16string>;

// Fills the rule set to its capacity with rules no element of the sample matches.
void fillRuleSet() {
    for (std::uint32_t id = 5000; ignoreRules().rules.size() < kMaxIgnoreRules; ++id) {
        auto r = std::make_unique<IgnoreRule>();
        r->nameId = r->pathHash = id;
        r->text = u"filler";
        AppendRule(std::move(r));
    }
}

}  // namespace

class IgnoreCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void f7WithoutConfirmationAddsARuleAndF7AgainRemovesIt() {
        Fixture f;
        f.options.DisplayConfirmation = 0;
        f.options.IgnoreElementsByFullName = 1;
        ElementRecord& item = f.at("book/item");
        RuleCommandResult r = RunIgnoreCommand(IgnoreCommandKind::Elements, &item, f.rules, f.options, nullptr);
        QCOMPARE(f.rules.ruleCount(), std::size_t(1));
        QVERIFY(f.rules.ruleText(0) == u"catalog>book>item");
        QCOMPARE(int(item.ignoreState), 1);
        QVERIFY(r.rulesExist);

        f.at("book/item/sub").ignoreState = 2;  // as the comparison would leave it
        item.ignoreState = 2;
        r = RunIgnoreCommand(IgnoreCommandKind::Elements, &item, f.rules, f.options, nullptr);
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));
        QCOMPARE(int(item.ignoreState), 0);
        QCOMPARE(int(f.at("book/item/sub").ignoreState), 0);
        QVERIFY(!r.rulesExist);
    }

    void f7ByShortNameWhenTheOptionSaysSo() {
        Fixture f;
        f.options.DisplayConfirmation = 0;
        f.options.IgnoreElementsByFullName = 0;
        RunIgnoreCommand(IgnoreCommandKind::Elements, &f.at("book/item"), f.rules, f.options, nullptr);
        QVERIFY(f.rules.ruleText(0) == u"item");
    }

    void f9WithoutConfirmationTogglesTheMarkAndLeavesTheRules() {
        Fixture f;
        f.options.DisplayConfirmation = 0;
        ElementRecord& book = f.at("book");
        RunIgnoreCommand(IgnoreCommandKind::ParticularElement, &book, f.rules, f.options, nullptr);
        QCOMPARE(int(book.ignoreState), 3);
        f.at("book/item").ignoreState = 4;
        RunIgnoreCommand(IgnoreCommandKind::ParticularElement, &book, f.rules, f.options, nullptr);
        QCOMPARE(int(book.ignoreState), 0);
        QCOMPARE(int(f.at("book/item").ignoreState), 0);
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));
        // An element ignored by a rule is not marked by F9.
        book.ignoreState = 1;
        RunIgnoreCommand(IgnoreCommandKind::ParticularElement, &book, f.rules, f.options, nullptr);
        QCOMPARE(int(book.ignoreState), 1);
    }

    void withoutAnElementNothingHappens() {
        Fixture f;
        ignoreRules().rulesChanged = true;
        const RuleCommandResult r = RunIgnoreCommand(IgnoreCommandKind::Elements, nullptr, f.rules, f.options, nullptr);
        QVERIFY(!r.reloadAsked);
        QVERIFY(f.changed());  // untouched
    }

    void withConfirmationCancelAsksNoReload() {
        Fixture f;
        test::WhenModalOpens<IgnoreElementDialog>([](IgnoreElementDialog* d) {
            check(*d, "IgnoreElement")->setChecked(true);
            radio(*d, "Kind4")->setChecked(true);
            click(*d, "AddToCommon");
            click(*d, "Cancel");
        });
        const RuleCommandResult r =
            RunIgnoreCommand(IgnoreCommandKind::Elements, &f.at("book"), f.rules, f.options, nullptr);
        QVERIFY(!r.reloadAsked);
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));
    }

    void withConfirmationSpecifiedAttributesAskForAReload() {
        Fixture f;
        test::WhenModalOpens<IgnoreElementDialog>([](IgnoreElementDialog* d) {
            check(*d, "IgnoreElement")->setChecked(true);
            radio(*d, "Kind4")->setChecked(true);
            select(child<QListWidget>(*d, "ElementAttributes"), S("rev"));
            click(*d, "OK");
        });
        const RuleCommandResult r =
            RunIgnoreCommand(IgnoreCommandKind::Elements, &f.at("book"), f.rules, f.options, nullptr);
        QVERIFY(r.reloadAsked);
        QVERIFY(r.rulesExist);
        QVERIFY(f.rule(0).attributes.names() == Names{u"rev"});
    }

    void aFullRuleSetIsReportedAndNothingIsMarked() {
        Fixture f;
        f.options.DisplayConfirmation = 0;
        fillRuleSet();
        RecordingNotifier messages;
        ScopedNotifier scope(messages);
        ElementRecord& book = f.at("book");
        RunIgnoreCommand(IgnoreCommandKind::Elements, &book, f.rules, f.options, nullptr);
        QCOMPARE(f.rules.ruleCount(), kMaxIgnoreRules);
        QCOMPARE(int(book.ignoreState), 0);
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QVERIFY(messages.messages[0].text == kRuleSetFullMessage);

        // The dialog says so too and stays open; marking alone still works.
        IgnoreElementDialog d(book, f.rules, f.options);
        d.show();
        check(d, "IgnoreElement")->setChecked(true);
        click(d, "OK");
        QVERIFY(d.isVisible());
        QCOMPARE(messages.messages.size(), std::size_t(2));
        QCOMPARE(int(book.ignoreState), 0);
        radio(d, "OnlySelected")->setChecked(true);
        click(d, "OK");
        QVERIFY(!d.isVisible());
        QCOMPARE(int(book.ignoreState), 3);
    }

    void removeAllAsksFirst() {
        Fixture f;
        f.rules.addRuleFor(f.at("book"), false);
        RecordingNotifier messages;
        ScopedNotifier scope(messages);
        messages.answer = MessageAnswer::No;
        QVERIFY(!RemoveAllRulesAfterAsking(f.rules));
        QCOMPARE(f.rules.ruleCount(), std::size_t(1));
        QVERIFY(messages.messages.back().title == u"Confirm");
        QVERIFY(messages.messages.back().text == u"Remove All elements from the list of ignored elements?");
        messages.answer = MessageAnswer::Yes;
        QVERIFY(RemoveAllRulesAfterAsking(f.rules));
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));
        QVERIFY(!RemoveAllRulesAfterAsking(f.rules));  // nothing left: no question
        QCOMPARE(messages.messages.size(), std::size_t(2));
    }
};

class IgnoreElementDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensUncheckedForAnElementWithoutRules() {
        Fixture f;
        f.setCommon(u"xmlns version");
        f.options.IgnoreElementsByFullName = 0;
        IgnoreElementDialog d(f.at("book"), f.rules, f.options);
        QCOMPARE(d.windowTitle(), S("Ignore Element: book"));
        QVERIFY(!check(d, "IgnoreElement")->isChecked());
        QVERIFY(!radio(d, "Kind0")->isEnabled());
        QVERIFY(!check(d, "Condition")->isEnabled());
        QVERIFY(radio(d, "Kind0")->isChecked());
        QVERIFY(radio(d, "ByShortName")->isChecked());
        QCOMPARE(texts(child<QListWidget>(d, "ElementAttributes")), (QStringList{S("id"), S("rev"), S("lang")}));
        QCOMPARE(texts(child<QListWidget>(d, "CommonAttributes")), (QStringList{S("xmlns"), S("version")}));
        auto* attribute = child<QComboBox>(d, "ConditionAttribute");
        QCOMPARE(attribute->itemText(0), S("Content of element"));
        QCOMPARE(attribute->count(), 4);
        QCOMPARE(child<QComboBox>(d, "Operator")->itemText(2), S("length great than"));
        check(d, "IgnoreElement")->setChecked(true);
        QVERIFY(radio(d, "Kind0")->isEnabled());
        QVERIFY(!child<QLineEdit>(d, "Value")->isEnabled());
        check(d, "Condition")->setChecked(true);
        QVERIFY(child<QLineEdit>(d, "Value")->isEnabled());
    }

    void contentOfOnlyThisElementKeepsItComparedAndMakesNoRule() {
        Fixture f;
        ElementRecord& book = f.at("book");
        {
            IgnoreElementDialog d(book, f.rules, f.options);
            check(d, "IgnoreElement")->setChecked(true);
            radio(d, "OnlySelected")->setChecked(true);
            radio(d, "Kind1")->setChecked(true);
            click(d, "OK");
        }
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));
        QCOMPARE(int(book.ignoreState), 0);
        QCOMPARE(book.ruleFlags & 7, 1);
        QVERIFY(book.ruleFlags & kRuleFlagsFixed);

        // Opened again it shows the mark, and OK keeps it as it is.
        IgnoreElementDialog again(book, f.rules, f.options);
        QVERIFY(check(again, "IgnoreElement")->isChecked());
        QVERIFY(radio(again, "OnlySelected")->isChecked());
        QVERIFY(radio(again, "Kind1")->isChecked());
        click(again, "OK");
        QCOMPARE(book.ruleFlags & 7, 1);
        QCOMPARE(int(book.ignoreState), 0);
    }

    void entireOnlyThisElementMarksIt() {
        Fixture f;
        ElementRecord& book = f.at("book");
        IgnoreElementDialog d(book, f.rules, f.options);
        check(d, "IgnoreElement")->setChecked(true);
        radio(d, "OnlySelected")->setChecked(true);
        click(d, "OK");
        QCOMPARE(int(book.ignoreState), 3);
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));
    }

    void aRuleByFullNameForTheWholeElement() {
        Fixture f;
        ElementRecord& item = f.at("book/item");
        IgnoreElementDialog d(item, f.rules, f.options);
        check(d, "IgnoreElement")->setChecked(true);
        QVERIFY(radio(d, "ByFullName")->isChecked());  // the option's default
        click(d, "OK");
        QCOMPARE(f.rules.ruleCount(), std::size_t(1));
        QVERIFY(f.rules.ruleText(0) == u"catalog>book>item");
        QCOMPARE(int(f.rule(0).kind), 0);
        QCOMPARE(int(item.ignoreState), 1);
        QVERIFY(!f.changed());  // kinds 0 to 3 act at the next comparison
    }

    void containsWithoutCaseSensitiveStoresOp6AndBlanksAreDropped() {
        Fixture f;
        ElementRecord& book = f.at("book");
        {
            IgnoreElementDialog d(book, f.rules, f.options);
            check(d, "IgnoreElement")->setChecked(true);
            radio(d, "ByShortName")->setChecked(true);
            radio(d, "Kind1")->setChecked(true);
            check(d, "Condition")->setChecked(true);
            child<QComboBox>(d, "ConditionAttribute")->setCurrentText(S("lang"));
            child<QComboBox>(d, "Operator")->setCurrentIndex(4);
            check(d, "CaseSensitive")->setChecked(false);
            check(d, "IfNotExist")->setChecked(true);
            child<QLineEdit>(d, "Value")->setText(S("e n"));
            click(d, "OK");
        }
        const IgnoreCondition& c = *f.rule(0).condition;
        QCOMPARE(int(c.op), 6);
        QVERIFY(c.attributeName == u"lang");
        QVERIFY(c.value == u"en");
        QVERIFY(c.ifNotExist);
        QVERIFY(f.changed());  // a new condition acts while loading

        ignoreRules().rulesChanged = false;
        IgnoreElementDialog again(book, f.rules, f.options);
        QCOMPARE(child<QComboBox>(again, "Operator")->currentIndex(), 4);
        QVERIFY(!check(again, "CaseSensitive")->isChecked());
        QCOMPARE(child<QLineEdit>(again, "Value")->text(), S("en"));
        QCOMPARE(child<QComboBox>(again, "ConditionAttribute")->currentText(), S("lang"));
        QVERIFY(check(again, "Condition")->isChecked());
        QVERIFY(radio(again, "ByShortName")->isChecked());
        click(again, "OK");
        QVERIFY(!f.changed());  // the same condition again is no change
    }

    void aConditionWithAnEmptyValueIsNotStored() {
        Fixture f;
        IgnoreElementDialog d(f.at("book"), f.rules, f.options);
        check(d, "IgnoreElement")->setChecked(true);
        check(d, "Condition")->setChecked(true);
        click(d, "OK");
        QVERIFY(!f.rule(0).condition);
    }

    void aConditionOnAnAttributeTheElementLacksIsStillShown() {
        Fixture f;
        f.rules.addRuleFor(f.at("book"), false);
        f.rules.setCurrentCondition({u"status", true, 3, false, u"done"});
        IgnoreElementDialog d(f.at("book"), f.rules, f.options);
        QCOMPARE(child<QComboBox>(d, "ConditionAttribute")->currentText(), S("status"));
        QCOMPARE(child<QComboBox>(d, "Operator")->currentIndex(), 3);
        QVERIFY(check(d, "Not")->isChecked());
    }

    void cancelAfterAddToCommonLeavesTheCommonList() {
        Fixture f;
        f.setCommon(u"xmlns");
        IgnoreElementDialog d(f.at("book"), f.rules, f.options);
        select(child<QListWidget>(d, "ElementAttributes"), S("rev"));
        click(d, "AddToCommon");
        QCOMPARE(texts(child<QListWidget>(d, "CommonAttributes")), (QStringList{S("xmlns"), S("rev")}));
        click(d, "Cancel");
        QVERIFY(f.rules.commonAttributes() == Names{u"xmlns"});
        QVERIFY(!f.changed());
    }

    void okTakesOverTheCommonList() {
        Fixture f;
        f.setCommon(u"xmlns version");
        IgnoreElementDialog d(f.at("book"), f.rules, f.options);
        select(child<QListWidget>(d, "ElementAttributes"), S("id"));
        select(child<QListWidget>(d, "ElementAttributes"), S("lang"));
        click(d, "AddToCommon");
        click(d, "AddToCommon");  // adds nothing twice
        select(child<QListWidget>(d, "CommonAttributes"), S("xmlns"));
        click(d, "RemoveFromCommon");
        click(d, "OK");
        QVERIFY(f.rules.commonAttributes() == (Names{u"version", u"id", u"lang"}));
        QVERIFY(f.changed());
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));  // "Ignore Element" stayed unchecked
    }

    void specifiedAttributesBecomeTheRulesListAndShowSelectedAgain() {
        Fixture f;
        ElementRecord& book = f.at("book");
        {
            IgnoreElementDialog d(book, f.rules, f.options);
            check(d, "IgnoreElement")->setChecked(true);
            radio(d, "Kind5")->setChecked(true);
            select(child<QListWidget>(d, "ElementAttributes"), S("id"));
            select(child<QListWidget>(d, "ElementAttributes"), S("lang"));
            click(d, "OK");
        }
        QCOMPARE(int(f.rule(0).kind), 5);
        QVERIFY(f.rule(0).attributes.names() == (Names{u"id", u"lang"}));
        QCOMPARE(int(book.ignoreState), 0);
        QCOMPARE(book.ruleFlags & 7, 5);

        // The second book has only id: lang still shows, selected.
        ElementRecord* second = NextSiblingRecord(test::Find(f.pane, "shelf"));
        IgnoreElementDialog d(*second, f.rules, f.options);
        auto* list = child<QListWidget>(d, "ElementAttributes");
        QCOMPARE(texts(list), (QStringList{S("id"), S("lang")}));
        QCOMPARE(texts(list, true), (QStringList{S("id"), S("lang")}));
        QVERIFY(radio(d, "Kind5")->isChecked());
    }

    void uncheckingIgnoreRemovesTheRuleAndClearsTheMarksBelow() {
        Fixture f;
        ElementRecord& book = f.at("book");
        f.rules.addRuleFor(book, true);
        book.ignoreState = 2;
        f.at("book/item").ignoreState = 2;
        f.at("book/item/sub").ruleFlags = 3;
        IgnoreElementDialog d(book, f.rules, f.options);
        QVERIFY(check(d, "IgnoreElement")->isChecked());
        QVERIFY(radio(d, "ByFullName")->isChecked());
        check(d, "IgnoreElement")->setChecked(false);
        click(d, "OK");
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));
        QCOMPARE(int(book.ignoreState), 0);
        QCOMPARE(int(f.at("book/item").ignoreState), 0);
        QCOMPARE(int(f.at("book/item/sub").ruleFlags), 0);
    }

    void switchingAnExistingRuleToTheOtherNameModeReplacesIt() {
        Fixture f;
        ElementRecord& item = f.at("book/item");
        f.rules.addRuleFor(item, true);
        IgnoreElementDialog d(item, f.rules, f.options);
        radio(d, "ByShortName")->setChecked(true);
        click(d, "OK");
        QCOMPARE(f.rules.ruleCount(), std::size_t(1));
        QVERIFY(f.rules.ruleText(0) == u"item");
        // The short-name rule now matches the item on the shelf too.
        QVERIFY(f.rules.findRule(f.at("shelf/item")));
    }
};

class IgnoredElementsDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { SetFileNameAsker({}); }

    void listsRulesAndCommonNames() {
        Fixture f;
        f.rules.addRuleFor(f.at("book"), false);
        f.rules.addRuleFor(f.at("shelf/item"), true);
        f.setCommon(u"xmlns");
        IgnoredElementsDialog d(f.rules, f.options);
        QCOMPARE(d.windowTitle(), S("Ignored Elements"));
        QCOMPARE(texts(child<QListWidget>(d, "IgnoredElements")), (QStringList{S("book"), S("catalog>shelf>item")}));
        QCOMPARE(texts(child<QListWidget>(d, "CommonAttributes")), (QStringList{S("xmlns")}));
    }

    void removeElementRemovesExactlyTheSelectedRows() {
        Fixture f;
        std::uint32_t id = 1000;
        for (const char* t : {"r1", "r2", "r3", "r4"}) {
            auto r = std::make_unique<IgnoreRule>();
            r->nameId = r->pathHash = id++;
            r->text = test::U(t);
            AppendRule(std::move(r));
        }
        IgnoredElementsDialog d(f.rules, f.options);
        auto* list = child<QListWidget>(d, "IgnoredElements");
        list->item(0)->setSelected(true);
        list->item(3)->setSelected(true);
        click(d, "RemoveElement");
        QCOMPARE(texts(list), (QStringList{S("r3"), S("r2")}));  // the last rule fills the freed place
        click(d, "RemoveElement");                               // nothing selected: nothing removed
        QCOMPARE(list->count(), 2);
    }

    void removingARuleWithAConditionAsksForAReload() {
        Fixture f;
        f.rules.addRuleFor(f.at("book"), false);
        f.rules.setCurrentCondition({u"", false, 0, false, u"5"});
        IgnoredElementsDialog d(f.rules, f.options);
        child<QListWidget>(d, "IgnoredElements")->item(0)->setSelected(true);
        click(d, "RemoveElement");
        QVERIFY(f.changed());
    }

    void removeAllKeepsTheCommonNames() {
        Fixture f;
        f.rules.addRuleFor(f.at("book"), false);
        f.setCommon(u"xmlns");
        IgnoredElementsDialog d(f.rules, f.options);
        click(d, "RemoveAll");
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));
        QCOMPARE(child<QListWidget>(d, "IgnoredElements")->count(), 0);
        QCOMPARE(child<QListWidget>(d, "CommonAttributes")->count(), 1);
    }

    void removeCommonAttributes() {
        Fixture f;
        f.setCommon(u"a b c");
        IgnoredElementsDialog d(f.rules, f.options);
        select(child<QListWidget>(d, "CommonAttributes"), S("b"));
        click(d, "RemoveCommon");
        QVERIFY(f.rules.commonAttributes() == (Names{u"a", u"c"}));
        QVERIFY(f.changed());
    }

    void loadAndSaveGoThroughTheListFileDialogs() {
        Fixture f;
        f.options.OptionsDir = u"/lists/";
        const std::string list =
            test::WriteTempFile("IgnoreElement=catalog>shelf>item 1\r\nKeyElement=a>b\r\n", ".txt");
        std::vector<FileRequest> asked;
        SetFileNameAsker([&](QWidget*, const FileRequest& r) {
            asked.push_back(r);
            return QString::fromStdString(list);
        });
        IgnoredElementsDialog d(f.rules, f.options);
        click(d, "SaveToFile");  // nothing to save: no dialog
        QVERIFY(asked.empty());
        click(d, "LoadFromFile");
        QCOMPARE(asked.at(0).title, S("Load Ignored Elements"));
        QCOMPARE(asked.at(0).startFolder, S("/lists/"));
        QCOMPARE(texts(child<QListWidget>(d, "IgnoredElements")), (QStringList{S("catalog>shelf>item")}));
        QVERIFY(keyElements().empty());  // only the ignore-rule section is read
        QVERIFY(f.rules.findRule(f.at("shelf/item")));
        QVERIFY(!f.rules.findRule(f.at("book/item")));

        click(d, "SaveToFile");
        QCOMPARE(asked.at(1).title, S("Save Ignored Elements"));
        QCOMPARE(asked.at(1).mode, FileDialogMode::Save);
        QFile file(QString::fromStdString(list));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY(written.startsWith("IgnoreElement=catalog>shelf>item 1\r\n"));  // appended, not replaced
        QVERIFY(written.contains("#These rows were added by Quillon\r\nIgnoreElement=catalog>shelf>item 1\r\n"));
    }

    void aListFileThatCannotBeWrittenIsReported() {
        Fixture f;
        f.setCommon(u"xmlns");
        SetFileNameAsker([](QWidget*, const FileRequest&) { return S("/nonexistent-folder/rules.txt"); });
        RecordingNotifier messages;
        ScopedNotifier scope(messages);
        IgnoredElementsDialog d(f.rules, f.options);
        click(d, "SaveToFile");
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QVERIFY(messages.messages[0].title == u"Error");
    }

    void editOpensTheRuleAndKeepsItsAttributeList() {
        Fixture f;
        f.rules.addRuleFor(f.at("book"), false);
        f.rules.setCurrentKind(4);
        f.rules.setCurrentAttributes(u"id rev");
        f.rules.addRuleFor(f.at("shelf"), false);
        IgnoredElementsDialog d(f.rules, f.options);
        child<QListWidget>(d, "IgnoredElements")->item(0)->setSelected(true);
        QString title;
        QStringList shown;
        test::WhenModalOpens<IgnoreElementDialog>([&](IgnoreElementDialog* e) {
            title = e->windowTitle();
            shown = texts(child<QListWidget>(*e, "ElementAttributes"), true);
            QVERIFY(!radio(*e, "OnlySelected")->isEnabled());
            radio(*e, "Kind5")->setChecked(true);
            click(*e, "OK");
        });
        click(d, "Edit");
        QCOMPARE(title, S("Ignore Element: book"));
        QCOMPARE(shown, (QStringList{S("id"), S("rev")}));
        QCOMPARE(int(f.rule(0).kind), 5);
        QVERIFY(f.rule(0).attributes.names() == (Names{u"id", u"rev"}));
    }

    void editWithListModeUncheckedRemovesThatRule() {
        Fixture f;
        f.rules.addRuleFor(f.at("book"), false);
        f.rules.addRuleFor(f.at("shelf"), false);
        IgnoredElementsDialog d(f.rules, f.options);
        child<QListWidget>(d, "IgnoredElements")->item(1)->setSelected(true);
        test::WhenModalOpens<IgnoreElementDialog>([](IgnoreElementDialog* e) {
            check(*e, "IgnoreElement")->setChecked(false);
            click(*e, "OK");
        });
        click(d, "Edit");
        QCOMPARE(texts(child<QListWidget>(d, "IgnoredElements")), (QStringList{S("book")}));
    }
};

class KeyAttributeDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensWithTheKeyAttributeSelected() {
        Fixture f;
        f.rules.setKeyAttribute(f.at("book"), u"rev");
        KeyAttributeDialog d(f.at("book"), f.rules);
        QCOMPARE(d.windowTitle(), S("Key Attribute"));
        QVERIFY(check(d, "KeyAttribute")->isChecked());
        QCOMPARE(texts(child<QListWidget>(d, "Attributes")), (QStringList{S("id"), S("rev"), S("lang")}));
        QCOMPARE(texts(child<QListWidget>(d, "Attributes"), true), (QStringList{S("rev")}));

        KeyAttributeDialog other(f.at("shelf/item"), f.rules);
        QVERIFY(!check(other, "KeyAttribute")->isChecked());
        QVERIFY(child<QListWidget>(other, "Attributes")->selectedItems().isEmpty());
    }

    void choosingAnotherAttributeAsksForAReloadAndTheSameDoesNot() {
        Fixture f;
        f.rules.setKeyAttribute(f.at("book"), u"rev");
        {
            KeyAttributeDialog d(f.at("book"), f.rules);
            click(d, "OK");
        }
        QVERIFY(!f.changed());
        KeyAttributeDialog d(f.at("book"), f.rules);
        auto* list = child<QListWidget>(d, "Attributes");
        list->clearSelection();
        select(list, S("id"));
        click(d, "OK");
        QVERIFY(f.changed());
        QVERIFY(keyAttribute().attributeName == u"id");
        QVERIFY(keyAttribute().text == u"catalog>book|id");
    }

    void okWithTheBoxClearedRemovesTheKeyAttributeAndCancelKeepsIt() {
        Fixture f;
        f.rules.setKeyAttribute(f.at("book"), u"id");
        {
            KeyAttributeDialog d(f.at("book"), f.rules);
            check(d, "KeyAttribute")->setChecked(false);
            click(d, "Cancel");
        }
        QVERIFY(keyAttribute().present());
        KeyAttributeDialog d(f.at("book"), f.rules);
        check(d, "KeyAttribute")->setChecked(false);
        click(d, "OK");
        QVERIFY(!keyAttribute().present());
        QVERIFY(f.changed());
    }

    void theCommandClearsTheFlagFirstAndReportsIt() {
        Fixture f;
        ignoreRules().rulesChanged = true;
        test::WhenModalOpens<KeyAttributeDialog>([](KeyAttributeDialog* d) { click(*d, "Cancel"); });
        QVERIFY(!RunKeyAttributeCommand(&f.at("book"), f.rules, nullptr).reloadAsked);
        test::WhenModalOpens<KeyAttributeDialog>([](KeyAttributeDialog* d) {
            select(child<QListWidget>(*d, "Attributes"), S("lang"));
            check(*d, "KeyAttribute")->setChecked(true);
            click(*d, "OK");
        });
        QVERIFY(RunKeyAttributeCommand(&f.at("book"), f.rules, nullptr).reloadAsked);
    }
};

}  // namespace quillon

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failed = 0;
    quillon::IgnoreCommandTest commands;
    failed |= QTest::qExec(&commands, argc, argv);
    quillon::IgnoreElementDialogTest ignore;
    failed |= QTest::qExec(&ignore, argc, argv);
    quillon::IgnoredElementsDialogTest list;
    failed |= QTest::qExec(&list, argc, argv);
    quillon::KeyAttributeDialogTest key;
    failed |= QTest::qExec(&key, argc, argv);
    return failed;
}

#include "rule_dialogs_test.moc"
