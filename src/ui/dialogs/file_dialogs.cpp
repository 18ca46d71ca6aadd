// SPDX-License-Identifier: MIT
#include "ui/dialogs/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "settings/options.h"

namespace quillon {
namespace {

FileNameAsker& asker() {
    static FileNameAsker instance;
    return instance;
}

QString platformAsk(QWidget* owner, const FileRequest& r) {
    if (r.mode == FileDialogMode::Save)
        return QFileDialog::getSaveFileName(owner, r.title, r.startFolder, r.filter, nullptr,
                                            r.confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
    return QFileDialog::getOpenFileName(owner, r.title, r.startFolder, r.filter);
}

}  // namespace

QString AllFilesFilter() {
    return QStringLiteral("All files (*)");
}

void SetFileNameAsker(FileNameAsker a) {
    asker() = std::move(a);
}

QString AskFileName(QWidget* owner, FileDialogMode mode, const QString& title, const QString& filter,
                    std::u16string* folderOption, bool loadSeparate, bool confirmOverwrite) {
    const bool remember = folderOption && loadSeparate;
    FileRequest request{mode, title, filter, remember ? QString::fromStdU16String(*folderOption) : QString(),
                        confirmOverwrite};
    const QString path = asker() ? asker()(owner, request) : platformAsk(owner, request);
    if (path.isEmpty()) return {};
    if (remember) {
        QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
        if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
        // The option holds a path of limited length; a longer folder is not
        // remembered rather than cut into a wrong one.
        if (std::size_t(folder.size()) <= kPathCapacity) *folderOption = folder.toStdU16String();
    }
    return path;
}

QString AskListFile(QWidget* owner, FileDialogMode mode, const QString& title, Options& options) {
    return AskFileName(owner, mode, title, AllFilesFilter(), &options.OptionsDir, options.LoadSeparate != 0);
}

}  // namespace quillon
