// SPDX-License-Identifier: MIT
// The main window's rule commands: ignoring elements (F7, F9, the list),
// key elements (F2, Ctrl+F2, the list file) and the key attribute (Shift+F2).
// A change that only a new load can apply ends with the reload question.
#include "model/document_pane.h"
#include "model/element_record.h"
#include "platform/notifier.h"
#include "rules/key_elements.h"
#include "rules/rule_list_files.h"
#include "settings/options.h"
#include "ui/command_ids.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/program_rules.h"
#include "ui/dialogs/rule_commands.h"
#include "ui/main_window.h"
#include "ui/window_settings.h"

namespace quillon {

void MainWindow::runRuleCommand(int id) {
    ProgramRules& rules = programRules();
    ElementRecord* current = currentRecord();
    switch (id) {
        case cmd::IgnoreElements:
        case cmd::IgnoreParticular: {
            if (!current) return;
            const IgnoreCommandKind kind =
                id == cmd::IgnoreElements ? IgnoreCommandKind::Elements : IgnoreCommandKind::ParticularElement;
            const RuleCommandResult result = RunIgnoreCommand(kind, current, rules, options(), this);
            reselectCurrent();
            if (result.reloadAsked) reloadFiles(true);
            break;
        }
        case cmd::IgnoredElements:
            if (RunIgnoredElementsCommand(rules, options(), this).reloadAsked) reloadFiles(true);
            repaintPanes();
            break;
        case cmd::KeyElement:
        case cmd::KeyElementQuiet:
            // The root has no parent to be a key of.
            if (!current || !ParentRecord(current)) return;
            if (!ToggleKeyElement(*current))
                notifier().show(u"Error", kKeyListFullMessage, MessageIcon::Error, MessageButtons::Ok);
            if (id == cmd::KeyElement)
                refreshPanes(nullptr, nullptr);
            else
                reselectCurrent();
            break;
        case cmd::KeyAttribute:
            if (!current) return;
            if (RunKeyAttributeCommand(current, rules, this).reloadAsked) reloadFiles(true);
            break;
        case cmd::SaveKeyElements: {
            // Nothing to write: no question either.
            if (keyElements().empty() && !keyAttribute().present()) return;
            const QString path =
                AskListFile(this, FileDialogMode::Save, QStringLiteral("Save Key Elements"), options());
            if (path.isEmpty()) return;
            if (!SaveKeyElements(path.toStdU16String()))
                notifier().show(u"Error", (QStringLiteral("Cannot write the file ") + path).toStdU16String(),
                                MessageIcon::Error, MessageButtons::Ok);
            break;
        }
        case cmd::LoadKeyElements: {
            const std::uint32_t before = keyAttribute().fingerprint();
            const QString path =
                AskListFile(this, FileDialogMode::Open, QStringLiteral("Load Key Elements"), options());
            if (path.isEmpty()) return;
            if (!m_settings->ReadSettingsFile(path.toStdU16String(), kKeysSection)) {
                notifier().show(u"Error", (QStringLiteral("Cannot read the file ") + path).toStdU16String(),
                                MessageIcon::Error, MessageButtons::Ok);
                return;
            }
            // Key elements show their own icons.
            repaintPanes();
            // A key attribute only takes effect while documents load, as after Shift+F2.
            if (keyAttribute().fingerprint() != before) reloadFiles(true);
            break;
        }
        default:
            break;
    }
}

}  // namespace quillon
