// SPDX-License-Identifier: MIT
// Fuzzes the readers of the files a user may be handed: the settings file
// (every section) and the rule and key list files, which go through the same
// reader. Nothing may crash.

#include <cstdint>
#include <string>

#include "output/entire_elements.h"
#include "platform/notifier.h"
#include "rules/ignore_rules.h"
#include "rules/key_elements.h"
#include "rules/rule_list_files.h"
#include "settings/options.h"
#include "settings/settings_file.h"

#include "quiet_notifier.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QuietNotifier quiet;
    setNotifier(&quiet);
    RegisterRuleListReaders();
    RegisterEntireElementReader();
    if (size < 1) return 0;
    // First byte: the sections of the settings file that are read.
    const unsigned sections = data[0] & 15u;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    ResetOptions(options(), false);
    ResetIgnoreRules();
    ResetKeys();
    ReadSettingsText(bytes, sections);

    // The same text once more as a list file (ignore rules and keys).
    ReadSettingsText(bytes, 6u);
    (void)IgnoredElementsBlock();
    (void)KeyElementsBlock();
    return 0;
}
