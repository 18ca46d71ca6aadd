// SPDX-License-Identifier: MIT
// The window's save commands as the user reaches them: "Save XML Element"
// from the menu and F8, the derived documents of a compared pair, opening
// the result in another program, failures told, and the entire-element list.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "output/entire_elements.h"
#include "platform/temporary_files.h"
#include "platform/utf8.h"
#include "ui/core_links.h"
#include "ui/main_window_fixture.h"

using namespace quillon;

namespace {

const char* kLeft = "<r><a>1</a><gone/><same>x</same></r>";
const char* kRight = "<r><a>2</a><new/><same>x</same></r>";

std::string readBytes(const QString& path) {
    std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

QStringList startedWith(const char* left, const char* right) {
    entireElements().clear();
    return left ? test::Program::pair(left, right) : QStringList{QStringLiteral("quillon")};
}

// The program with a compared pair (or none), its result message cleared.
struct SavingProgram : test::Program {
    explicit SavingProgram(const char* left = kLeft, const char* right = kRight) : Program(startedWith(left, right)) {
        messages.messages.clear();
        options().EndOfLine = 0;
    }
    ~SavingProgram() { entireElements().clear(); }
};

}  // namespace

class SaveCommandsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QTemporaryDir m_systemTemp;

    QString at(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid() && m_systemTemp.isValid());
        // The temporary files of the program go below a folder of this test's own.
        qputenv("TMPDIR", QFile::encodeName(m_systemTemp.path()));
    }
    void cleanup() { options() = Options{}; }

    // ---- "Save XML Element" ----
    void anElementSavedFromTheMenuLoadsBack() {
        SavingProgram p;
        p.select(PaneSide::Left, "a");
        p.answers = {at("element")};
        p.trigger(cmd::SaveElement);
        QCOMPARE(p.asked.at(0).mode, FileDialogMode::Save);
        // A name without an extension gets ".xml".
        QVERIFY(!QFile::exists(at("element")));
        QVERIFY(readBytes(at("element.xml")).ends_with("<a>1</a>"));
        QVERIFY(p.messages.messages.empty());
        // The folder is remembered for the next save dialog.
        QCOMPARE(QString::fromStdU16String(options().SaveDir),
                 QDir::toNativeSeparators(m_dir.path()) + QDir::separator());
    }
    void writingOverAFileAsksFirstAndNamesALoadedDocument() {
        struct Row {
            bool loaded;
            MessageAnswer answer;
            const char16_t* asked;
        };
        for (const Row& row : {Row{false, MessageAnswer::No, u" already exists. Replace it?"},
                               Row{true, MessageAnswer::No, u" is the left document as loaded. Save over it?"},
                               Row{true, MessageAnswer::Yes, u" is the left document as loaded. Save over it?"}}) {
            SavingProgram p;
            const QString target = row.loaded ? p.window->pathBox(PaneSide::Left)->currentText() : at("other.xml");
            if (!row.loaded) std::ofstream(QFile::encodeName(target).toStdString()) << "<other/>";
            const std::string before = readBytes(target);
            p.select(PaneSide::Left, "a");
            p.messages.answer = row.answer;
            p.runWithFile(cmd::SaveElement, target);
            QVERIFY(!p.asked.back().confirmOverwrite);  // asked once, by the window
            QCOMPARE(p.lastText(), target.toStdU16String() + row.asked);
            QCOMPARE(readBytes(target) == before, row.answer == MessageAnswer::No);
        }
    }
    void aNameThatIsNotUtf8IsWrittenUnderItsOwnBytes() {
        // Qt's codec would turn the Latin-1 byte into U+FFFD; the name comes
        // as the core holds it (a folder from the command line, TMPDIR).
        SavingProgram p;
        p.select(PaneSide::Left, "a");
        const std::string name = QFile::encodeName(m_dir.path()).toStdString() + "/caf\xE9.xml";
        p.runWithFile(cmd::SaveElement, QString::fromStdU16String(FileNameFromBytes(name)));
        std::ifstream in(name, std::ios::binary);
        const std::string saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        QVERIFY2(saved.ends_with("<a>1</a>"), p.lastText().empty() ? "nothing said" : "a message");
    }
    void f8OnTheRootSavesTheWholeFile() {
        SavingProgram p;
        p.select(PaneSide::Right, "same");  // the right root itself is already selected as the partner
        p.select(PaneSide::Right, "");
        p.answers = {at("whole.txt")};
        p.key(Qt::Key_F8);
        QCOMPARE(p.asked.size(), std::size_t(1));
        // An extension of the user's own stays.
        const std::string saved = readBytes(at("whole.txt"));
        QVERIFY2(saved.find("<?xml") != std::string::npos, saved.c_str());
        QVERIFY2(saved.ends_with("<r><a>2</a><new/><same>x</same></r>"), saved.c_str());
        // The status bar says where it went.
        QCOMPARE(p.window->status()->text(1), QStringLiteral("Saved to ") + at("whole.txt"));
    }
    void withoutElementOrFileNothingIsWritten() {
        SavingProgram p(nullptr, nullptr);
        p.window->executeCommand(cmd::SaveElement);
        QCOMPARE(p.lastText(), std::u16string(u"Select the element you want to save"));
        QCOMPARE(p.messages.messages.back().icon, MessageIcon::Error);
        QVERIFY(p.asked.empty());

        SavingProgram q;
        q.select(PaneSide::Left, "a");
        q.window->executeCommand(cmd::SaveElement);  // the dialog is cancelled
        QCOMPARE(q.lastText(), std::u16string(u"You must specify a file!"));
        QVERIFY(q.opened.empty());
    }

    // ---- The derived documents of a compared pair ----
    void derivedDocumentsOfAKnownPairFromTheirMenuItems() {
        SavingProgram p;
        p.select(PaneSide::Left, "");
        QVERIFY(p.window->commands()->saveElementsEntry()->isEnabled());
        // The changed leaf in both versions and the unmatched children of both
        // sides; the "Save Elements" submenu filters from the selected
        // element's children down.
        const std::pair<int, const char*> saves[] = {
            {cmd::SaveDifferences, "<r><a>1</a><a>2</a><gone/><new/></r>"},
            {cmd::MergeFiles, "<r><a>1</a><a>2</a><gone/><same>x</same><new/></r>"},
            {cmd::SaveCommon, "<r><same>x</same></r>"},
            {cmd::SaveChanged, "<r><a>1</a></r>"},
            {cmd::SaveDeleted, "<r><gone/></r>"},
            {cmd::SaveDeletedAndChanged, "<r><a>1</a><gone/></r>"}};
        for (const auto& [command, body] : saves) {
            const QString file = at("derived") + QString::number(command) + QStringLiteral(".xml");
            p.answers = {file};
            p.trigger(command);
            const std::string saved = readBytes(file);
            QVERIFY2(saved.ends_with(body), (std::to_string(command) + ": " + saved).c_str());
        }
        // The HTML report of the pair: a name typed without an extension gets
        // ".html", and the header counts what the rows show (gone and new, as
        // the window's own Result box does).
        p.answers = {at("report")};
        p.trigger(cmd::SaveReport);
        const std::string report = readBytes(at("report.html"));
        for (const char* path : {"/a[1]", "/gone[1]", "/new[1]", "2 element(s) were deleted"})
            QVERIFY2(report.find(path) != std::string::npos, path);
        QVERIFY(p.messages.messages.empty());
    }
    // ---- Opening the saved file in another program ----
    void openAfterSaveUsesATemporaryFileAndTheDesktop() {
        SavingProgram p;
        p.select(PaneSide::Left, "a");
        options().OpenAfterSave = 1;
        options().ExternalApplication = u"Default";
        p.window->executeCommand(cmd::SaveElement);
        QVERIFY(p.asked.empty());  // no dialog
        QCOMPARE(p.opened.size(), std::size_t(1));
        QVERIFY(p.opened[0].program.isEmpty());  // "default" in any case: the desktop's own
        const QFileInfo file(p.opened[0].file);
        QCOMPARE(file.absolutePath(), QString::fromStdString(TemporaryFolder().string()));
        QVERIFY(file.fileName().startsWith(QStringLiteral("temp")) && file.fileName().endsWith(QStringLiteral(".xml")));
        QVERIFY(readBytes(file.filePath()).ends_with("<a>1</a>"));
        QVERIFY(p.messages.messages.empty());
        // A named program gets the path as one argument; one that cannot start is told.
        options().ExternalApplication = u"/opt/viewer with blanks/view";
        p.openSucceeds = false;
        p.window->executeCommand(cmd::SaveElement);
        QCOMPARE(p.opened.back().program, QStringLiteral("/opt/viewer with blanks/view"));
        QCOMPARE(p.messages.messages.size(), std::size_t(1));
        QCOMPARE(p.messages.messages[0].title, std::u16string(u"Open with external application"));
        QCOMPARE(p.messages.messages[0].text, std::u16string(u"Application not found"));
        // Exit clears the temporary files away.
        p.window->close();
        for (const auto& o : p.opened) QVERIFY(!QFile::exists(o.file));
    }
    // ---- Failures ----
    void aFailedWriteSaysWhyAndOpensNothing() {
        SavingProgram p;
        p.select(PaneSide::Left, "");
        p.runWithFile(cmd::SaveElement, at("missing/out.xml"));
        QCOMPARE(p.lastTitle(), std::u16string(u"Error"));
        QCOMPARE(p.lastText(), (QStringLiteral("Cannot write the file ") + at("missing/out.xml") +
                                QStringLiteral(": No such file or directory"))
                                   .toStdU16String());
        // A link planted in place of the temporary folder: told, and nothing opened.
        namespace fs = std::filesystem;
        fs::remove_all(TemporaryFolder());
        fs::create_directory_symlink(m_dir.path().toStdString(), TemporaryFolder());
        options().OpenAfterSave = 1;
        p.window->executeCommand(cmd::SaveElement);
        fs::remove(TemporaryFolder());
        QVERIFY(p.opened.empty());
        QVERIFY(p.lastText().find(u"Cannot write the temporary file") == 0);
    }
    // ---- Entire elements ----
    void entireElementsToggleShowSaveAndLoadBack() {
        SavingProgram p;
        p.window->executeCommand(cmd::SaveEntireElements);
        QVERIFY(p.asked.empty());  // an empty list asks for no file
        p.select(PaneSide::Left, "a");
        ElementRecord* a = p.find(PaneSide::Left, "a");
        PaneView* view = p.window->paneView(PaneSide::Left);
        view->resize(400, 300);
        const QImage before = view->viewport()->grab().toImage();
        p.window->executeCommand(cmd::EntireElement);
        // The partner has the same path: the mark shows on both sides.
        QVERIFY(ShownAsEntireElement(*a));
        QVERIFY(ShownAsEntireElement(*p.find(PaneSide::Right, "a")));
        QVERIFY(!ShownAsEntireElement(*RootRecord(p.pane(PaneSide::Left))));
        QCOMPARE(p.current(), a);  // the selection survives the reset
        QVERIFY(view->viewport()->grab().toImage() != before);

        options().OptionsDir = QDir::toNativeSeparators(m_dir.path() + QLatin1Char('/')).toStdU16String();
        p.runWithFile(cmd::SaveEntireElements, at("entire.txt"));
        QCOMPARE(p.asked.back().startFolder, QString::fromStdU16String(options().OptionsDir));
        QVERIFY(readBytes(at("entire.txt")).ends_with("EntireElement=r>a\r\n"));
        p.window->executeCommand(cmd::EntireElement);  // toggled off again
        QVERIFY(!ShownAsEntireElement(*a));
        QVERIFY(view->viewport()->grab().toImage() == before);

        p.runWithFile(cmd::LoadEntireElements, at("entire.txt"));
        QCOMPARE(p.asked.back().mode, FileDialogMode::Open);
        QVERIFY(ShownAsEntireElement(*p.find(PaneSide::Left, "a")));
        QVERIFY(p.messages.messages.empty());
        p.runWithFile(cmd::LoadEntireElements, at("no-such-list.txt"));
        QCOMPARE(p.lastText(), (QStringLiteral("Cannot read the file ") + at("no-such-list.txt")).toStdU16String());
    }
};

QTEST_MAIN(SaveCommandsTest)
#include "save_commands_test.moc"
