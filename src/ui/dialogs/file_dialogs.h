// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace quillon {

struct Options;

enum class FileDialogMode { Open, Save };

struct FileRequest {
    FileDialogMode mode = FileDialogMode::Open;
    QString title;
    QString filter;
    QString startFolder;  // empty: wherever the platform starts
    // Off: the caller asks itself before it writes over an existing file.
    bool confirmOverwrite = true;
};

// "All files": on Linux a file need not have an extension, so the pattern
// is "*" where the Windows form was "*.*".
QString AllFilesFilter();

// Asks for a file name; an empty result means the user cancelled.
using FileNameAsker = std::function<QString(QWidget* owner, const FileRequest& request)>;
// Replaces the file dialog (tests answer without a display); an empty
// function restores the platform dialog.
void SetFileNameAsker(FileNameAsker asker);

// Asks for a file with the folder rule of the settings: with loadSeparate
// (the option LoadSeparate) on, the dialog starts in *folderOption and a
// confirmed file's folder (ending in a separator) is stored back into it;
// with it off, or without a folder option, no folder is given or remembered.
QString AskFileName(QWidget* owner, FileDialogMode mode, const QString& title, const QString& filter,
                    std::u16string* folderOption, bool loadSeparate, bool confirmOverwrite = true);

// The same for the list and settings files: all files, with the folder
// option OptionsDir of the given options.
QString AskListFile(QWidget* owner, FileDialogMode mode, const QString& title, Options& options);

}  // namespace quillon
