// SPDX-License-Identifier: MIT
#include "output/save_document.h"

#include "model/element_record.h"
#include "model/name_table.h"
#include "output/difference_documents.h"
#include "output/xml_writer.h"
#include "platform/output_file.h"
#include "settings/options.h"

namespace quillon {

std::string WithXmlExtension(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (path == OutputFile::kStandardOutput) return path;
    return path.find('.', nameStart) == std::string::npos ? path + ".xml" : path;
}

SaveResult SaveXml(const std::string& path, std::uint32_t command, const ElementRecord& element,
                   const DoctypeInfo* doctype, const Options& options) {
    SaveResult result;
    result.path = WithXmlExtension(path);
    if (!element.name() || element.name()->length == 0) {
        // The end-of-document item stands for no element.
        result.error = u"Select the element you want to save";
        return result;
    }
    std::u16string error;
    if (!CheckDocumentEncoding(options, &error)) {
        // Refused before the file is touched: an existing file stays as it was.
        result.error = error;
        return result;
    }
    OutputFile file(result.path);
    if (!file.ok()) {
        result.reason = file.error();
        return result;
    }
    XmlWriter writer(file, options);
    writer.WriteHeader(element, doctype);
    WriteDocumentBody(writer, element, command);
    if (!writer.valid()) {
        // A name the encoding cannot hold: no file rather than a broken one.
        file.Discard();
        result.error = writer.error();
        return result;
    }
    result.written = file.Commit();
    if (!result.written) result.reason = file.error();
    return result;
}

}  // namespace quillon
