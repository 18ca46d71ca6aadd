// SPDX-License-Identifier: MIT
#pragma once

// The command lines of the console programs: each program's flags are a
// table of rows (name, value, help, what it does to the program's run), and
// the flags that decide how documents load and compare are one table both
// programs share, so that quillon-merge pairs exactly as quillon-diff does.

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

struct Options;

enum class ValueKind { None, Required, Optional };

template <class Run>
struct CliOption {
    const char* name;   // "--level"; a row without a name is a section title
    const char* alias;  // "-h" or null
    ValueKind valueKind;
    const char* value;  // placeholder shown in the help
    const char* help;
    // Applies the flag; value is empty for a switch. Returns false with a message.
    bool (*apply)(Run& run, std::string_view value, std::string& error);
};

// What the shared flags choose. A program's run derives from it.
struct CompareSetup {
    // Ignore-rule and key list files, read once the options are final,
    // since names and attribute hashes depend on the case options.
    std::vector<std::string> ruleFiles;
    std::vector<std::string> keyFiles;
    // Changes to the options record, applied in order after the defaults and
    // the settings file, so a flag always wins over the file.
    std::vector<std::function<void(Options&)>> optionEdits;
};

// The shared flags: comparison and loading.
std::span<const CliOption<CompareSetup>> CompareOptions();

// Queues a change of the options record.
template <class Edit>
bool QueueEdit(CompareSetup& setup, Edit e) {
    setup.optionEdits.emplace_back(e);
    return true;
}

// The value of a word from a fixed list.
bool PickWord(std::string_view v, std::initializer_list<std::pair<std::string_view, std::uint32_t>> words,
              std::uint32_t& out);

// Prints the rows of a table as --help shows them.
void PrintOptionRows(std::FILE* out, const char* name, const char* alias, ValueKind kind, const char* value,
                     const char* help);
template <class Run>
void PrintOptions(std::FILE* out, std::span<const CliOption<Run>> rows) {
    for (const CliOption<Run>& r : rows) PrintOptionRows(out, r.name, r.alias, r.valueKind, r.value, r.help);
}

// Splits the arguments into flags, applied to run from the program's own
// table or the shared one, and the rest, appended to files ("--" ends the
// flags). False with a message for an unknown flag or a missing value.
template <class Run>
bool ParseCommandLine(int argc, char** argv, std::span<const CliOption<Run>> own, Run& run,
                      std::vector<std::string>& files, std::string& error) {
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (onlyFiles || a.size() < 2 || a[0] != '-') {
            files.emplace_back(a);
            continue;
        }
        if (a == "--") {
            onlyFiles = true;
            continue;
        }
        std::string_view name = a, value;
        bool hasValue = false;
        if (const std::size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string_view::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            hasValue = true;
        }
        const auto matches = [&](const char* n, const char* alias) {
            return n && (name == n || (alias && name == alias));
        };
        const CliOption<Run>* mine = nullptr;
        const CliOption<CompareSetup>* shared = nullptr;
        for (const CliOption<Run>& r : own)
            if (!mine && matches(r.name, r.alias)) mine = &r;
        for (const CliOption<CompareSetup>& r : CompareOptions())
            if (!mine && !shared && matches(r.name, r.alias)) shared = &r;
        if (!mine && !shared) {
            error = "unknown option '" + std::string(name) + "'";
            return false;
        }
        const char* flag = mine ? mine->name : shared->name;
        const ValueKind kind = mine ? mine->valueKind : shared->valueKind;
        if (kind == ValueKind::None && hasValue) {
            error = std::string(flag) + " takes no value";
            return false;
        }
        if (kind == ValueKind::Required && !hasValue) {
            if (i + 1 >= argc) {
                error = std::string(flag) + " needs a value (" + (mine ? mine->value : shared->value) + ")";
                return false;
            }
            value = argv[++i];
        }
        if (!(mine ? mine->apply(run, value, error) : shared->apply(run, value, error))) return false;
    }
    return true;
}

// The settings file (its options first, when given), the queued flags, then
// every list (the settings file's other sections, the rule and key files):
// names are interned with the case options in force, so the flags that
// change them must hold before any list is read. False, with the reason on
// stderr under the program's name, when a file cannot be read.
bool ApplySettingsAndLists(const CompareSetup& setup, const std::string* settingsFile, const char* program);

}  // namespace quillon
