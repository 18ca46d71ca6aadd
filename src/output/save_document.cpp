// SPDX-License-Identifier: MIT
#include "output/save_document.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

#include "model/element_record.h"
#include "model/name_table.h"
#include "output/difference_documents.h"
#include "output/xml_writer.h"
#include "settings/options.h"

namespace quillon {

namespace {

std::string tempFolder() {
    std::error_code ec;
    std::string dir = std::filesystem::temp_directory_path(ec).string();
    if (ec || dir.empty()) dir = "/tmp";
    if (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
    return dir;
}

}  // namespace

std::string WithXmlExtension(const std::string& path) {
    return path.find('.') == std::string::npos ? path + ".xml" : path;
}

SaveResult SaveXml(const std::string& path, std::uint32_t command, const ElementRecord& element,
                   const DoctypeInfo* doctype, const Options& options) {
    SaveResult result;
    result.path = WithXmlExtension(path);
    if (!element.name || element.name->length == 0) {
        // The end-of-document item stands for no element.
        result.error = u"Select the element you want to save";
        return result;
    }
    std::u16string error;
    if (!CheckEncoding(options.Encoding, options.EncodingString, &error)) {
        // Refused before the file is touched: an existing file stays as it was.
        result.error = error;
        return result;
    }
    OutputFile file(result.path);
    if (!file.ok()) return result;
    XmlWriter writer(file, options);
    writer.WriteHeader(element, doctype);
    WriteDocumentBody(writer, element, command);
    result.written = file.Commit();
    return result;
}

std::string MakeTempFileName() {
    const std::uint64_t now = std::uint64_t(std::time(nullptr));
    char name[64];
    std::snprintf(name, sizeof name, "/temp%x%x.xml", unsigned(now & 0xFFFFFFFFu), unsigned(now >> 32));
    return tempFolder() + name;
}

void RemoveTempFiles() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(tempFolder(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= 8 && name.compare(0, 4, "temp") == 0 && name.compare(name.size() - 4, 4, ".xml") == 0 &&
            entry.is_regular_file(ec))
            std::filesystem::remove(entry.path(), ec);
    }
}

}  // namespace quillon
