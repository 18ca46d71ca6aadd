// SPDX-License-Identifier: MIT
#include "ui/application.h"

#include <QApplication>

#include "platform/temporary_files.h"
#include "settings/options.h"
#include "ui/dialogs/tip_of_the_day_dialog.h"
#include "ui/dialogs/web_addresses.h"
#include "ui/window_settings.h"

namespace quillon {

std::unique_ptr<MainWindow> StartProgram(const QStringList& arguments, ShellServices services) {
    auto trace = [&services](std::string_view step) {
        if (services.trace) services.trace(step);
    };
    WindowSettings& settings = services.settings ? *services.settings : ProgramSettings();
    trace("delete temporary files");
    RemoveTempFiles();
    trace("settings key path");
    settings.SetUpStore();
    trace("load settings");
    settings.LoadSettings();
    if (options().ApplicationVersion != kSettingsVersion) {
        trace("reset options");
        ResetOptions(options(), false);
    }
    auto window = std::make_unique<MainWindow>(services);
    if (!window->startupErrorText().isEmpty()) {
        NotifyError(window->startupErrorText(), false);
        return nullptr;
    }
    window->showPlaced();
    window->loadAccelerators();
    if (options().TipOfTheDay != 0) {
        trace("tip of the day");
        ShowTipOfTheDay(window.get(), options().TipOfTheDay);
    }
    window->processCommandLine(arguments);
    return window;
}

int RunApplication(const QStringList& arguments) {
    ShellServices services;
    services.quitOnShutdown = true;
    std::unique_ptr<MainWindow> window = StartProgram(arguments, services);
    if (!window) return 0;
    const int code = QApplication::exec();
    // The parser library shuts down with the window's parser.
    window.reset();
    return code;
}

}  // namespace quillon
