// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace quillon {

struct ElementRecord;
struct DoctypeInfo;
struct Options;

// Command number of "Save XML Element": the plain subtree.
constexpr std::uint32_t kSaveElementCommand = 568;

struct SaveResult {
    bool written = false;
    std::string path;      // the name actually used (".xml" appended when needed)
    std::u16string error;  // why nothing was written; empty when the file could not be created
    std::string reason;    // then the system's reason ("Permission denied", "No space left on device")
};

// A file name without any "." gets ".xml". Only the name after the last
// "/" counts: a dot in a folder name is no extension.
std::string WithXmlExtension(const std::string& path);

// Writes header and body of a save command into path, whole or not at all:
// the text goes to a temporary file that replaces the target only once it is
// complete. doctype is the document type of the element's pane (may be null).
SaveResult SaveXml(const std::string& path, std::uint32_t command, const ElementRecord& element,
                   const DoctypeInfo* doctype, const Options& options);

}  // namespace quillon
