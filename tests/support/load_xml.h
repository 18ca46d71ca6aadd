// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "load/load_document.h"
#include "model/doctype_info.h"
#include "model/document_pane.h"

namespace quillon {
class XmlParser;
}

namespace quillon::test {

// The one parser of the test program, as the application has one.
XmlParser& Parser();

// Writes xml to a fresh temporary file and returns its path. The file is
// removed when the test program ends.
std::string WriteTempFile(std::string_view contents, std::string_view suffix = ".xml");

// The whole file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::string& path);

// Loads inline XML into the pane with the process's one parser.
LoadResult LoadXml(DocumentPane& pane, std::string_view xml, DoctypeInfo* doctype = nullptr);
// Loads a file (or address) into the pane.
LoadResult LoadFile(DocumentPane& pane, const std::string& path, DoctypeInfo* doctype = nullptr);

// The record at a slash-separated path of element names below the root,
// e.g. "item/b" (first match at each step); "" is the root itself.
ElementRecord* Find(const DocumentPane& pane, std::string_view path);

// The text of the record at `path` (as for Find) in UTF-8; "<none>" without one.
std::string TextOf(const DocumentPane& pane, std::string_view path = "");

// `s`, `n` times over.
std::string Repeat(std::string_view s, int n);

// Converts ASCII/UTF-8 test text to UTF-16.
std::u16string U(std::string_view s);

}  // namespace quillon::test
