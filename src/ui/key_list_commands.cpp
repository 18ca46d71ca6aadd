// SPDX-License-Identifier: MIT
#include "ui/key_list_commands.h"

#include <QString>

#include "platform/notifier.h"
#include "rules/key_elements.h"
#include "rules/rule_list_files.h"
#include "settings/options.h"
#include "ui/dialogs/file_dialogs.h"

namespace quillon {

void SaveKeyElementsCommand(QWidget* owner) {
    if (keyElements().empty() && !keyAttribute().present()) return;
    Options& o = options();
    const QString path = AskFileName(owner, FileDialogMode::Save, QStringLiteral("Save Key Elements"), AllFilesFilter(),
                                     &o.OptionsDir, o.LoadSeparate != 0);
    if (path.isEmpty()) return;
    if (!SaveKeyElements(path.toStdU16String()))
        notifier().show(u"Error", (QStringLiteral("Cannot write the file ") + path).toStdU16String(),
                        MessageIcon::Error, MessageButtons::Ok);
}

}  // namespace quillon
