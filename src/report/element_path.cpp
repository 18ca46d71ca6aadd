// SPDX-License-Identifier: MIT
#include "report/element_path.h"

#include <string_view>
#include <vector>

#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/name_table.h"
#include "platform/utf8.h"

namespace quillon {

StepForm StepFormOf(const ElementRecord& record, bool defaultNamespaceAtParent, bool prefixesDropped) {
    if (prefixesDropped) return StepForm::LocalName;
    if (!record.name() || record.name()->view().find(u':') != std::u16string_view::npos) return StepForm::QualifiedName;
    return DefaultNamespaceBelow(record, defaultNamespaceAtParent) ? StepForm::QualifiedName : StepForm::Plain;
}

bool DefaultNamespaceBelow(const ElementRecord& record, bool defaultNamespaceAtParent) {
    // Values never hold the marks, so "xmlns=" followed by the opening mark
    // is the declaration itself.
    const RecordString a = record.attributesString();
    constexpr std::u16string_view kDeclaration = u"xmlns=\x01";
    for (std::size_t p = a.find(kDeclaration); p != RecordString::npos; p = a.find(kDeclaration, p + 1)) {
        if (p != 0 && a[p - 1] != u' ') continue;
        return p + kDeclaration.size() < a.size() && a[p + kDeclaration.size()] != kValueClose;
    }
    return defaultNamespaceAtParent;
}

std::uint32_t SiblingPositions::next(const ElementRecord& record, StepForm form) {
    const std::uint32_t all = ++m_all[record.name()];
    if (form == StepForm::Plain) return ++m_plain[record.name()];
    return all;
}

void AppendStep(std::string& path, const ElementRecord& record, StepForm form, std::uint32_t position) {
    const std::string name = ToUtf8(record.nameView());
    path += '/';
    switch (form) {
        case StepForm::Plain:
            path += name;
            break;
        case StepForm::QualifiedName:
            path += "*[name()='" + name + "']";
            break;
        case StepForm::LocalName:
            path += "*[local-name()='" + name + "']";
            break;
    }
    path += '[' + std::to_string(position) + ']';
}

std::string ElementPath(const ElementRecord& record, bool prefixesDropped) {
    std::vector<const ElementRecord*> chain;
    for (const ElementRecord* r = &record; r; r = ParentRecord(r)) chain.push_back(r);
    std::string path;
    bool scope = false;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const ElementRecord& r = **it;
        const ElementRecord* parent = ParentRecord(&r);
        const ElementRecord* first = parent ? FirstChildRecord(parent) : RootRecord(*r.treePane());
        SiblingPositions positions;
        std::uint32_t position = 0;
        StepForm form = StepForm::Plain;
        for (const ElementRecord* s = first; s; s = NextSiblingRecord(s)) {
            if (!IsNamedElement(s)) continue;
            const StepForm f = StepFormOf(*s, scope, prefixesDropped);
            const std::uint32_t p = positions.next(*s, f);
            if (s != &r) continue;
            position = p;
            form = f;
            break;
        }
        AppendStep(path, r, form, position);
        scope = DefaultNamespaceBelow(r, scope);
    }
    return path;
}

}  // namespace quillon
