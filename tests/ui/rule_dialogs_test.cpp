// SPDX-License-Identifier: MIT
// The rule dialogs on the program's own rule set: Ignore Element, the list
// of ignored elements and Key Attribute, and the commands that open them.
// Which elements a rule then ignores is the rules tests' business.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
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
using namespace test;
namespace {

const char* kCatalog =
    "<catalog><book id='1' rev='2' lang='en'><item code='a'><sub/></item></book>"
    "<shelf><item code='b'/></shelf><book id='2'/></catalog>";

// The program's own rule set, emptied for every case.
struct Fixture {
    Fixture() : options(quillon::options()) {
        ResetOptions(options, false);
        ResetIgnoreRules();
        ResetKeys();
        if (!LoadXml(pane, kCatalog).ok) qFatal("sample did not load");
        setNotifier(&messages);
    }
    ~Fixture() {
        setNotifier(nullptr);
        SetFileNameAsker({});
        ResetIgnoreRules();
        ResetKeys();
    }
    ElementRecord& at(const char* path) { return *Find(pane, path); }
    IgnoreRule& rule(std::size_t i) { return *ignoreRules().rules.at(i); }
    bool changed() const { return ignoreRules().rulesChanged; }
    void setCommon(std::u16string_view names) {
        SetCommonAttributes(names);
        ignoreRules().rulesChanged = false;
    }
    // Opens Ignore Element on the element at path, lets act work it, then OK.
    void ok(const char* path, const std::function<void(IgnoreElementDialog&)>& act) {
        IgnoreElementDialog d(at(path), rules, options);
        act(d);
        click(d, "OK");
    }
    RuleCommandResult command(IgnoreCommandKind kind, const char* path) {
        return RunIgnoreCommand(kind, path ? &at(path) : nullptr, rules, options, nullptr);
    }
    Options& options;
    DocumentPane pane;
    RecordingNotifier messages;
    ProgramRules& rules = programRules();
};

using Names = std::vector<std::u16string>;

}  // namespace

class RuleDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---- The ignore commands ----
    void anAttributeRuleAsksForAReloadAndShowsItsListAgain() {
        for (const bool ok : {false, true}) {
            Fixture f;
            WhenModalOpens<IgnoreElementDialog>([ok](IgnoreElementDialog* d) {
                check(*d, "IgnoreElement")->setChecked(true);
                radio(*d, "Kind5")->setChecked(true);
                selectText(child<QListWidget>(*d, "ElementAttributes"), S("id"));
                selectText(child<QListWidget>(*d, "ElementAttributes"), S("lang"));
                click(*d, ok ? "OK" : "Cancel");
            });
            const RuleCommandResult r = f.command(IgnoreCommandKind::Elements, "book");
            QCOMPARE(r.reloadAsked, ok);
            QCOMPARE(f.rules.ruleCount(), std::size_t(ok));
            if (!ok) continue;
            QCOMPARE(int(f.rule(0).kind), 5);
            QVERIFY(f.rule(0).attributes.names() == (Names{u"id", u"lang"}));
            QCOMPARE(f.at("book").ruleFlags & 7, 5);
            // The second book has only id: lang still shows, selected.
            IgnoreElementDialog d(*NextSiblingRecord(Find(f.pane, "shelf")), f.rules, f.options);
            auto* list = child<QListWidget>(d, "ElementAttributes");
            QCOMPARE(texts(list), (QStringList{S("id"), S("lang")}));
            QCOMPARE(texts(list, true), (QStringList{S("id"), S("lang")}));
        }
    }

    void aFullRuleSetIsReportedAndNothingIsMarked() {
        Fixture f;
        f.options.DisplayConfirmation = 0;
        for (std::uint32_t id = 5000; ignoreRules().rules.size() < kMaxIgnoreRules; ++id) {
            auto r = std::make_unique<IgnoreRule>();
            r->nameId = r->pathHash = id;  // matches no element of the sample
            r->text = u"filler";
            AppendRule(std::move(r));
        }
        ElementRecord& book = f.at("book");
        f.command(IgnoreCommandKind::Elements, "book");
        QCOMPARE(int(book.ignoreState), 0);
        QVERIFY(f.messages.messages.at(0).text == kRuleSetFullMessage);

        // The dialog says so too and stays open; marking alone still works.
        IgnoreElementDialog d(book, f.rules, f.options);
        d.show();
        check(d, "IgnoreElement")->setChecked(true);
        click(d, "OK");
        QVERIFY(d.isVisible());
        QCOMPARE(f.messages.messages.size(), std::size_t(2));
        radio(d, "OnlySelected")->setChecked(true);
        click(d, "OK");
        QVERIFY(!d.isVisible());
        QCOMPARE(int(book.ignoreState), 3);
    }

    // ---- Ignore Element ----
    void aRuleIsMadeRenamedAndRemovedWithTheMarksBelow() {
        Fixture f;
        f.setCommon(u"xmlns version");
        f.options.IgnoreElementsByFullName = 0;
        ElementRecord& book = f.at("book");
        {
            IgnoreElementDialog d(book, f.rules, f.options);
            QCOMPARE(d.windowTitle(), S("Ignore Element: book"));
            QVERIFY(!check(d, "IgnoreElement")->isChecked());
            QVERIFY(!radio(d, "Kind0")->isEnabled());
            QVERIFY(radio(d, "ByShortName")->isChecked());
            QCOMPARE(texts(child<QListWidget>(d, "ElementAttributes")), (QStringList{S("id"), S("rev"), S("lang")}));
            QCOMPARE(texts(child<QListWidget>(d, "CommonAttributes")), (QStringList{S("xmlns"), S("version")}));
            QCOMPARE(child<QComboBox>(d, "ConditionAttribute")->count(), 4);  // the content and three attributes
            check(d, "IgnoreElement")->setChecked(true);
            QVERIFY(radio(d, "Kind0")->isEnabled());
            QVERIFY(!child<QLineEdit>(d, "Value")->isEnabled());
            check(d, "Condition")->setChecked(true);
            QVERIFY(child<QLineEdit>(d, "Value")->isEnabled());
            check(d, "Condition")->setChecked(false);
            click(d, "OK");
        }
        QVERIFY(f.rules.ruleText(0) == u"book");
        QCOMPARE(int(f.rule(0).kind), 0);
        QCOMPARE(int(book.ignoreState), 1);
        QVERIFY(!f.changed());  // kinds 0 to 3 act at the next comparison
        // The other name mode replaces the rule rather than adding one.
        f.ok("book", [](IgnoreElementDialog& d) {
            QVERIFY(check(d, "IgnoreElement")->isChecked());
            radio(d, "ByFullName")->setChecked(true);
        });
        QCOMPARE(f.rules.ruleCount(), std::size_t(1));
        QVERIFY(f.rules.ruleText(0) == u"catalog>book");
        // Unchecked: the rule goes, and with it the marks below.
        f.at("book/item").ignoreState = 2;
        f.at("book/item/sub").ruleFlags = 3;
        f.ok("book", [](IgnoreElementDialog& d) { check(d, "IgnoreElement")->setChecked(false); });
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));
        QCOMPARE(int(book.ignoreState), 0);
        QCOMPARE(int(f.at("book/item").ignoreState), 0);
        QCOMPARE(int(f.at("book/item/sub").ruleFlags), 0);
    }

    void onlyThisElementMarksItAndMakesNoRule() {
        // The whole element is marked ignored; its content alone keeps it compared.
        for (const auto& [kind, state] : {std::pair{"Kind0", 3}, std::pair{"Kind1", 0}}) {
            Fixture f;
            ElementRecord& book = f.at("book");
            f.ok("book", [kind](IgnoreElementDialog& d) {
                check(d, "IgnoreElement")->setChecked(true);
                radio(d, "OnlySelected")->setChecked(true);
                radio(d, kind)->setChecked(true);
            });
            QCOMPARE(f.rules.ruleCount(), std::size_t(0));
            QCOMPARE(int(book.ignoreState), state);
            // Opened again it shows the mark, and OK keeps it as it is.
            IgnoreElementDialog again(book, f.rules, f.options);
            QVERIFY(radio(again, "OnlySelected")->isChecked());
            QVERIFY(radio(again, kind)->isChecked());
            click(again, "OK");
            QCOMPARE(int(book.ignoreState), state);
        }
    }

    void aConditionIsStoredAsShownAndShownAgain() {
        Fixture f;
        ElementRecord& book = f.at("book");
        f.ok("book", [](IgnoreElementDialog& d) {
            check(d, "IgnoreElement")->setChecked(true);
            radio(d, "ByShortName")->setChecked(true);
            radio(d, "Kind1")->setChecked(true);
            check(d, "Condition")->setChecked(true);
            child<QComboBox>(d, "ConditionAttribute")->setCurrentText(S("lang"));
            child<QComboBox>(d, "Operator")->setCurrentIndex(4);
            check(d, "CaseSensitive")->setChecked(false);
            check(d, "IfNotExist")->setChecked(true);
            child<QLineEdit>(d, "Value")->setText(S("e n"));
        });
        const IgnoreCondition& c = *f.rule(0).condition;
        QCOMPARE(int(c.op), 6);  // "contains" without case
        QVERIFY(c.ifNotExist);
        QVERIFY(f.changed());  // a new condition acts while loading

        ignoreRules().rulesChanged = false;
        IgnoreElementDialog again(book, f.rules, f.options);
        QCOMPARE(child<QComboBox>(again, "Operator")->currentIndex(), 4);
        QVERIFY(!check(again, "CaseSensitive")->isChecked());
        QCOMPARE(child<QLineEdit>(again, "Value")->text(), S("en"));
        QCOMPARE(child<QComboBox>(again, "ConditionAttribute")->currentText(), S("lang"));
        QVERIFY(radio(again, "ByShortName")->isChecked());
        click(again, "OK");
        QVERIFY(!f.changed());  // the same condition again is no change

        // One on an attribute the element lacks still shows; an empty value stores none.
        f.rules.setCurrentCondition({u"status", true, 3, false, u"done"});
        IgnoreElementDialog lacking(book, f.rules, f.options);
        QCOMPARE(child<QComboBox>(lacking, "ConditionAttribute")->currentText(), S("status"));
        QVERIFY(check(lacking, "Not")->isChecked());
        child<QLineEdit>(lacking, "Value")->clear();
        click(lacking, "OK");
        QVERIFY(!f.rule(0).condition);
    }

    void theCommonListChangesOnlyWithOk() {
        Fixture f;
        f.setCommon(u"xmlns version");
        {
            IgnoreElementDialog d(f.at("book"), f.rules, f.options);
            selectText(child<QListWidget>(d, "ElementAttributes"), S("rev"));
            click(d, "AddToCommon");
            QCOMPARE(texts(child<QListWidget>(d, "CommonAttributes")).size(), 3);
            click(d, "Cancel");
        }
        QVERIFY(f.rules.commonAttributes() == (Names{u"xmlns", u"version"}));
        QVERIFY(!f.changed());
        IgnoreElementDialog d(f.at("book"), f.rules, f.options);
        selectText(child<QListWidget>(d, "ElementAttributes"), S("id"));
        selectText(child<QListWidget>(d, "ElementAttributes"), S("lang"));
        click(d, "AddToCommon");
        click(d, "AddToCommon");  // adds nothing twice
        selectText(child<QListWidget>(d, "CommonAttributes"), S("xmlns"));
        click(d, "RemoveFromCommon");
        click(d, "OK");
        QVERIFY(f.rules.commonAttributes() == (Names{u"version", u"id", u"lang"}));
        QVERIFY(f.changed());
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));  // "Ignore Element" stayed unchecked
    }

    // ---- The list of ignored elements ----
    void removeButtonsTakeTheSelectedRowsAndKeepTheOtherList() {
        Fixture f;
        for (const char* t : {"r1", "r2", "r3", "r4"}) {
            auto r = std::make_unique<IgnoreRule>();
            r->nameId = r->pathHash = 1000 + std::uint32_t(f.rules.ruleCount());
            r->text = U(t);
            AppendRule(std::move(r));
        }
        f.setCommon(u"a b c");
        IgnoredElementsDialog d(f.rules, f.options);
        QCOMPARE(texts(child<QListWidget>(d, "CommonAttributes")), (QStringList{S("a"), S("b"), S("c")}));
        auto* list = child<QListWidget>(d, "IgnoredElements");
        list->item(0)->setSelected(true);
        list->item(3)->setSelected(true);
        click(d, "RemoveElement");
        QCOMPARE(texts(list), (QStringList{S("r3"), S("r2")}));  // the last rule fills the freed place
        click(d, "RemoveElement");                               // nothing selected: nothing removed
        QCOMPARE(list->count(), 2);
        selectText(child<QListWidget>(d, "CommonAttributes"), S("b"));
        click(d, "RemoveCommon");
        QVERIFY(f.rules.commonAttributes() == (Names{u"a", u"c"}));
        click(d, "RemoveAll");
        QCOMPARE(f.rules.ruleCount(), std::size_t(0));
        QCOMPARE(list->count(), 0);
        QCOMPARE(child<QListWidget>(d, "CommonAttributes")->count(), 2);
    }

    void loadAndSaveGoThroughTheListFileDialogs() {
        Fixture f;
        f.options.OptionsDir = u"/lists/";
        const QString list =
            QString::fromStdString(WriteTempFile("IgnoreElement=catalog>shelf>item 1\r\nKeyElement=a>b\r\n", ".txt"));
        std::vector<FileRequest> asked;
        QString answer = list;
        SetFileNameAsker([&](QWidget*, const FileRequest& r) {
            asked.push_back(r);
            return answer;
        });
        IgnoredElementsDialog d(f.rules, f.options);
        click(d, "SaveToFile");  // nothing to save: no dialog
        QVERIFY(asked.empty());
        click(d, "LoadFromFile");
        QCOMPARE(asked.at(0).startFolder, S("/lists/"));
        QCOMPARE(texts(child<QListWidget>(d, "IgnoredElements")), (QStringList{S("catalog>shelf>item")}));
        QVERIFY(keyElements().empty());  // only the ignore-rule section is read
        click(d, "SaveToFile");
        QCOMPARE(asked.at(1).mode, FileDialogMode::Save);
        QVERIFY(f.messages.messages.empty());
        answer = S("/nonexistent-folder/rules.txt");
        click(d, "SaveToFile");
        QCOMPARE(f.messages.messages.size(), std::size_t(1));
        QVERIFY(f.messages.messages[0].title == u"Error");
    }

    void editOpensTheSelectedRule() {
        Fixture f;
        f.rules.addRuleFor(f.at("book"), false);
        f.rules.setCurrentKind(4);
        f.rules.setCurrentAttributes(u"id rev");
        f.rules.addRuleFor(f.at("shelf"), false);
        IgnoredElementsDialog d(f.rules, f.options);
        auto* list = child<QListWidget>(d, "IgnoredElements");
        list->item(0)->setSelected(true);
        QString title;
        QStringList shown;
        WhenModalOpens<IgnoreElementDialog>([&](IgnoreElementDialog* e) {
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
        // Unchecked in the editor: that rule goes.
        list->clearSelection();
        list->item(1)->setSelected(true);
        WhenModalOpens<IgnoreElementDialog>([](IgnoreElementDialog* e) {
            check(*e, "IgnoreElement")->setChecked(false);
            click(*e, "OK");
        });
        click(d, "Edit");
        QCOMPARE(texts(list), (QStringList{S("book")}));
    }

    // ---- Key Attribute ----
    void opensOnTheKeyAndOnlyAnotherChoiceAsksForAReload() {
        Fixture f;
        f.rules.setKeyAttribute(f.at("book"), u"rev");
        ignoreRules().rulesChanged = true;  // the command starts afresh
        {
            KeyAttributeDialog d(f.at("book"), f.rules);
            QVERIFY(check(d, "KeyAttribute")->isChecked());
            QCOMPARE(texts(child<QListWidget>(d, "Attributes")), (QStringList{S("id"), S("rev"), S("lang")}));
            QCOMPARE(texts(child<QListWidget>(d, "Attributes"), true), (QStringList{S("rev")}));
        }
        // One run of the command a row: the box, another attribute chosen
        // or none, the button; then whether a reload was asked, and the key.
        struct Row {
            bool checked;
            const char* chosen;
            const char* button;
            bool reload;
            std::u16string_view key;
        };
        for (const Row& r : {Row{true, nullptr, "OK", false, u"catalog>book|rev"},
                             Row{false, nullptr, "Cancel", false, u"catalog>book|rev"},
                             Row{true, "id", "OK", true, u"catalog>book|id"}, Row{false, nullptr, "OK", true, u""}}) {
            WhenModalOpens<KeyAttributeDialog>([&r](KeyAttributeDialog* d) {
                check(*d, "KeyAttribute")->setChecked(r.checked);
                if (r.chosen) {
                    child<QListWidget>(*d, "Attributes")->clearSelection();
                    selectText(child<QListWidget>(*d, "Attributes"), S(r.chosen));
                }
                click(*d, r.button);
            });
            QCOMPARE(RunKeyAttributeCommand(&f.at("book"), f.rules, nullptr).reloadAsked, r.reload);
            QCOMPARE(keyAttribute().present(), !r.key.empty());
            if (keyAttribute().present()) QVERIFY(keyAttribute().text == r.key);
        }
        // An element of another name: nothing checked, nothing selected.
        KeyAttributeDialog other(f.at("shelf/item"), f.rules);
        QVERIFY(!check(other, "KeyAttribute")->isChecked());
        QVERIFY(child<QListWidget>(other, "Attributes")->selectedItems().isEmpty());
    }
};

}  // namespace quillon

QTEST_MAIN(quillon::RuleDialogsTest)
#include "rule_dialogs_test.moc"
