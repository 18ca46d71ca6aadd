// SPDX-License-Identifier: MIT
#include "ui/save_commands.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/name_table.h"
#include "output/entire_elements.h"
#include "output/save_document.h"
#include "platform/notifier.h"
#include "load/load_pipeline.h"
#include "platform/temporary_files.h"
#include "platform/utf8.h"
#include "report/report_output.h"
#include "settings/options.h"
#include "settings/settings_file.h"
#include "ui/command_set.h"
#include "ui/core_links.h"
#include "ui/dialogs/file_dialogs.h"

namespace quillon {
namespace {

void showError(const QString& text) {
    notifier().show(u"Error", text.toStdU16String(), MessageIcon::Error, MessageButtons::Ok);
}

// Asks before an existing file is replaced; a document loaded in a pane is
// named as such, since its tree in the window no longer matches the file after.
bool mayWriteOver(const QString& path, const std::array<QString, 2>& loaded) {
    const QFileInfo target(path);
    if (!target.exists()) return true;
    QString text = path + QStringLiteral(" already exists. Replace it?");
    for (int i = 0; i < 2; ++i)
        if (!loaded[std::size_t(i)].isEmpty() &&
            QFileInfo(loaded[std::size_t(i)]).canonicalFilePath() == target.canonicalFilePath())
            text = path + (i == 0 ? QStringLiteral(" is the left") : QStringLiteral(" is the right")) +
                   QStringLiteral(" document as loaded. Save over it?");
    return notifier().show(u"Save XML file", text.toStdU16String(), MessageIcon::Question, MessageButtons::YesNo) ==
           MessageAnswer::Yes;
}

// File names are bytes on Linux, not always UTF-8; the core's mapping keeps
// them whole both ways, where Qt's codec would replace what is not UTF-8.
std::string nativePath(const QString& path) {
    return FileNameBytes(path.toStdU16String());
}
QString fromNativePath(const std::string& path) {
    return QString::fromStdU16String(FileNameFromBytes(path));
}

}  // namespace

bool OpenWithDesktop(const QString& program, const QString& file) {
    if (program.isEmpty()) return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    // The path is one argument of its own, so blanks in it need no quoting.
    return QProcess::startDetached(program, {file});
}

SaveCommands::SaveCommands(QWidget* owner, SavedFileOpener opener)
    : m_owner(owner), m_opener(opener ? std::move(opener) : SavedFileOpener(OpenWithDesktop)) {}

std::optional<QString> SaveCommands::save(int command, const ElementRecord* selected, const DoctypeInfo* doctype,
                                          const std::array<QString, 2>& loaded) {
    if (!IsNamedElement(selected)) {
        showError(QStringLiteral("Select the element you want to save"));
        return std::nullopt;
    }
    Options& o = options();
    const bool openAfter = o.OpenAfterSave != 0;
    QString path;
    if (openAfter) {
        std::string why;
        if (!PrepareTemporaryFolder(&why)) {
            showError(QStringLiteral("Cannot write the temporary file: ") + fromNativePath(why));
            return std::nullopt;
        }
        path = fromNativePath(MakeTempFileName());
    } else {
        path = AskFileName(m_owner, FileDialogMode::Save, QStringLiteral("Save XML file"),
                           QStringLiteral("XML files (*.xml);;") + AllFilesFilter(), &o.SaveDir, o.LoadSeparate != 0,
                           false);
    }
    if (path.isEmpty()) {
        showError(QStringLiteral("You must specify a file!"));
        return std::nullopt;
    }
    // The name the file is written under, ".xml" added where it has no extension.
    if (!openAfter && !mayWriteOver(fromNativePath(WithXmlExtension(nativePath(path))), loaded)) return std::nullopt;
    const SaveResult result = SaveXml(nativePath(path), std::uint32_t(command), *selected, doctype, o);
    const QString written = fromNativePath(result.path);
    if (!result.written) {
        // Nothing to open either: a program shown a missing or stale file
        // would look like a successful save.
        showError(result.error.empty() ? QStringLiteral("Cannot write the file ") + written + QStringLiteral(": ") +
                                             QString::fromStdString(result.reason)
                                       : QString::fromStdU16String(result.error));
        return std::nullopt;
    }
    if (openAfter) {
        const QString program = QString::fromStdU16String(o.ExternalApplication);
        const bool desktop = program.compare(QStringLiteral("default"), Qt::CaseInsensitive) == 0;
        // The desktop's own "open" reports nothing worth telling.
        if (!m_opener(desktop ? QString() : program, written) && !desktop)
            notifier().show(u"Open with external application", u"Application not found", MessageIcon::Error,
                            MessageButtons::Ok);
    }
    return written;
}

void SaveCommands::saveReport(const PaneDocument& left, const PaneDocument& right) {
    Options& o = options();
    const QString path = AskFileName(m_owner, FileDialogMode::Save, QStringLiteral("Save Report"),
                                     QStringLiteral("HTML files (*.html *.htm);;") + AllFilesFilter(), &o.SaveDir,
                                     o.LoadSeparate != 0);
    if (path.isEmpty()) return;
    const std::string names[2] = {left.history.empty() ? std::string() : FileNameBytes(left.history.front()),
                                  right.history.empty() ? std::string() : FileNameBytes(right.history.front())};
    const std::u16string message = ResultSentence(left.pane, right.pane);
    HtmlReportInput input{names[0], names[1], message};
    std::string error;
    if (!SaveHtmlReport(nativePath(path), left.pane, right.pane, input, error))
        showError(QString::fromStdString(error));
}

bool SaveCommands::toggleEntireElement(const ElementRecord* selected) {
    if (!IsNamedElement(selected)) return false;
    // A full list adds nothing; the panes are shown again all the same.
    ToggleEntireElement(*selected);
    return true;
}

void SaveCommands::saveEntireElements() {
    if (entireElements().count == 0) return;
    const QString path = AskListFile(m_owner, FileDialogMode::Save, QStringLiteral("Save Entire Elements"), options());
    if (path.isEmpty()) return;
    if (!SaveEntireElements(nativePath(path))) showError(QStringLiteral("Cannot write the file ") + path);
}

bool SaveCommands::loadEntireElements() {
    const QString path = AskListFile(m_owner, FileDialogMode::Open, QStringLiteral("Load Entire Elements"), options());
    if (path.isEmpty()) return false;
    LinkSettingsReaders();
    if (!ReadSettingsFile(path.toStdU16String(), kEntireElementsSection)) {
        showError(QStringLiteral("Cannot read the file ") + path);
        return false;
    }
    return true;
}

QString SaveItemText(const ElementRecord& current) {
    return CommandSet::MenuText(ParentRecord(&current)
                                    ? std::u16string_view(u"Save XML Element                 F8")
                                    : std::u16string_view(u"Save XML File                        F8"));
}

}  // namespace quillon
