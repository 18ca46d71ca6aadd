// SPDX-License-Identifier: MIT
#include "report/json_report.h"

#include <cstdio>
#include <string>

#include "compare/compare_state.h"
#include "model/element_record.h"
#include "platform/utf8.h"
#include "report/difference_walk.h"
#include "report/element_identity.h"
#include "report/own_changes.h"

namespace quillon {
namespace {

void appendString(std::string& out, std::u16string_view s) { AppendJsonString(out, ToUtf8(s)); }

class JsonDifferences : public DifferenceVisitor {
public:
    JsonDifferences(std::ostream& out, std::string_view indent) : m_out(out), m_indent(indent) {}

    void difference(const Difference& d) override {
        std::string& j = m_entry;
        j.clear();
        j += m_first ? "\n" : ",\n";
        j += m_indent;
        j += '{';
        m_first = false;
        j += "\"kind\": ";
        j += d.kind == DifferenceKind::Changed ? "\"changed\"" : d.kind == DifferenceKind::Deleted ? "\"deleted\"" : "\"added\"";
        side("left", d.left, d.leftPath);
        side("right", d.right, d.rightPath);
        identity(d.left ? *d.left : *d.right, d.kind != DifferenceKind::Changed);
        if (d.kind == DifferenceKind::Changed) {
            ++tally.changed;
            const OwnChanges c = OwnChangesOf(*d.left, *d.right);
            j += ", \"attributes\": [";
            for (std::size_t i = 0; i < c.attributes.size(); ++i) {
                const AttributeDifference& a = c.attributes[i];
                j += i ? ", {\"name\": " : "{\"name\": ";
                appendString(j, a.name);
                j += ", \"left\": ";
                a.onLeft ? appendString(j, a.left) : void(j += "null");
                j += ", \"right\": ";
                a.onRight ? appendString(j, a.right) : void(j += "null");
                j += '}';
            }
            j += ']';
            // Always present, null when only attributes changed, so that a
            // script reads one shape.
            if (c.textChanged) {
                j += ", \"text\": {\"left\": ";
                appendString(j, c.leftText);
                j += ", \"right\": ";
                appendString(j, c.rightText);
                j += '}';
            } else {
                j += ", \"text\": null";
            }
        } else {
            const ElementRecord& r = d.left ? *d.left : *d.right;
            const std::uint64_t n = SubtreeSize(r);
            if (d.left) {
                ++tally.deleted;
                tally.deletedElements += n;
            } else {
                ++tally.added;
                tally.addedElements += n;
            }
            j += ", \"elements\": " + std::to_string(n);
        }
        j += '}';
        m_out << j;
    }

    DifferenceTally tally;
    bool any() const { return !m_first; }

private:
    // The element's name and what identifies it, as the listing names it.
    void identity(const ElementRecord& r, bool ownText) {
        m_entry += ", \"name\": ";
        appendString(m_entry, r.nameView());
        const std::vector<IdentityField> fields = IdentifyElement(r, ownText);
        m_entry += ", \"identity\": [";
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const IdentityField& f = fields[i];
            m_entry += i ? ", {\"kind\": " : "{\"kind\": ";
            m_entry += f.kind == IdentityField::Kind::Attribute ? "\"attribute\""
                       : f.kind == IdentityField::Kind::Child   ? "\"child\""
                                                                : "\"text\"";
            if (f.kind != IdentityField::Kind::Text) {
                m_entry += ", \"name\": ";
                appendString(m_entry, f.name);
            }
            m_entry += ", \"value\": ";
            appendString(m_entry, f.value);
            m_entry += '}';
        }
        m_entry += ']';
    }

    void side(const char* name, const ElementRecord* r, std::string_view path) {
        m_entry += ", \"";
        m_entry += name;
        m_entry += "\": ";
        if (!r) {
            m_entry += "null";
            return;
        }
        m_entry += "{\"path\": ";
        AppendJsonString(m_entry, path);
        m_entry += ", \"line\": " + std::to_string(r->line) + ", \"column\": " + std::to_string(r->column) + '}';
    }

    std::ostream& m_out;
    std::string_view m_indent;
    std::string m_entry;
    bool m_first = true;
};

}  // namespace

void AppendJsonString(std::string& out, std::string_view s) {
    out += '"';
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            // A file name need not be UTF-8; JSON must be.
            const std::size_t n = Utf8SequenceLength(s, i);
            out.append(n ? s.substr(i, n) : std::string_view("\xEF\xBF\xBD"));
            if (n) i += n - 1;
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", unsigned(c));
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

DifferenceTally WriteJsonDifferences(std::ostream& out, const DocumentPane& left, const DocumentPane& right,
                                     std::string_view indent) {
    const std::string inner = std::string(indent) + "  ";
    JsonDifferences differences(out, inner);
    out << '[';
    WalkDifferences(left, right, differences);
    if (differences.any()) out << '\n' << indent;
    out << ']';
    return differences.tally;
}

void WriteJsonFailure(std::ostream& out, const JsonReportInput& input, std::string_view file, std::string_view error) {
    std::string j = "{\n  \"left\": ";
    AppendJsonString(j, input.leftName);
    j += ",\n  \"right\": ";
    AppendJsonString(j, input.rightName);
    j += ",\n  \"error\": {\"file\": ";
    AppendJsonString(j, file);
    j += ", \"message\": ";
    AppendJsonString(j, error);
    j += "}\n}\n";
    out << j;
}

DifferenceTally WriteJsonReport(std::ostream& out, const DocumentPane& left, const DocumentPane& right,
                                const JsonReportInput& input) {
    // The differences stream out as the walk finds them; the counts include
    // their tally, so they follow them.
    const CompareCounters& c = compareCounters();
    std::string head = "{\n  \"left\": ";
    AppendJsonString(head, input.leftName);
    head += ",\n  \"right\": ";
    AppendJsonString(head, input.rightName);
    head += ",\n  \"identical\": ";
    head += c.ChangedPairs == 0 ? "true" : "false";
    head += ",\n  \"message\": ";
    appendString(head, input.message);
    head += ",\n  \"differences\": ";
    out << head;
    const DifferenceTally t = WriteJsonDifferences(out, left, right, "  ");
    std::string tail = ",\n  \"counts\": {\"equalPairs\": " + std::to_string(c.EqualPairs) +
            ", \"changedPairs\": " + std::to_string(c.ChangedPairs) +
            ", \"ignoredElements\": " + std::to_string(c.IgnoredElements) +
            ", \"ownChangedPairs\": " + std::to_string(c.OwnChangedPairs) +
            ", \"changed\": " + std::to_string(t.changed) + ", \"deleted\": " + std::to_string(t.deleted) +
            ", \"added\": " + std::to_string(t.added) + ", \"deletedElements\": " + std::to_string(t.deletedElements) +
            ", \"addedElements\": " + std::to_string(t.addedElements) + "}\n}\n";
    out << tail;
    return t;
}

}  // namespace quillon
