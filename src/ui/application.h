// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <memory>

#include "ui/main_window.h"

namespace quillon {

// The program's start-up up to the message loop, in its fixed order:
// temporary files, the settings store and the options (reset when they are
// of another version), the window with its parts, the accelerators, the Tip
// of the Day when it is on, and the command line. Null when the window could
// not be made (the error notification has then been shown).
std::unique_ptr<MainWindow> StartProgram(const QStringList& arguments, ShellServices services = {});

// StartProgram, the message loop, and the exit code.
int RunApplication(const QStringList& arguments);

}  // namespace quillon
