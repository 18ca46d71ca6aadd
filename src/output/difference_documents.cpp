// SPDX-License-Identifier: MIT
#include "output/difference_documents.h"

#include <vector>

#include "compare/identity.h"
#include "model/document_pane.h"
#include "output/entire_elements.h"
#include "output/namespace_scopes.h"
#include "output/xml_writer.h"
#include "settings/options.h"

namespace quillon {

namespace {

// The traversals run on an explicit work stack so that document depth never
// reaches the call stack. Each entry is one pending piece of work.
struct Work {
    enum Kind : std::uint8_t { Filtered, Merge, Children, OtherSide, EndTag, Marker };
    explicit Work(Kind k) : kind(k) {}
    Kind kind;
    bool whole = false;
    bool filter = false;
    bool inside = false;
    bool markerWritten = false;
    bool top = false;                        // the selected element
    bool endsInline = false;                 // EndTag: the element began the writer's inline mode
    const ElementRecord* element = nullptr;  // or the next child to visit
    const ElementRecord* owner = nullptr;    // EndTag: the element to close
    std::u16string_view marker;
    // Namespaces around the element (Filtered, Merge) or its siblings
    // (Children, OtherSide): in its own document, and in the output.
    const NamespaceBinding* source = nullptr;
    const NamespaceBinding* written = nullptr;
    // The partner of the element's parent and the bindings inside it (merged
    // traversal: the other side's elements are written from there).
    const ElementRecord* otherParent = nullptr;
    const NamespaceBinding* otherInside = nullptr;
    // Children: the parent's text pieces, written among its children in
    // their place (text with children); the next child's index and piece.
    const ElementRecord* textOwner = nullptr;
    const TextLayout* layout = nullptr;
    std::uint32_t childIndex = 0;
    std::size_t nextPiece = 0;
};

bool skipped(const ElementRecord& e, std::uint32_t mode) {
    const int s = e.ignoreState != 0 ? 2 : CompareState(e);
    const bool children = ChildCountOf(e) > 0;
    const std::uint8_t f = e.diffFlags;
    switch (mode) {
        case kModeDifferences:
            return s == 0;
        case kModeCommon:
            return children ? (f & kIdenticalBelow) == 0 : s != 0;
        case kModeOnlyChanged:
            return s == 0 || (children ? (f & kChangedBelow) == 0 : s != 1);
        case kModeOnlyDeleted:
            return s == 0 || (children ? ((f & kUnpairedBelow) == 0 && s != 2) : s != 2);
        case kModeDeletedAndChanged:
            return s == 0 || (children && (f & (kUnpairedBelow | kChangedBelow)) == 0 && s != 2);
        default:
            return false;
    }
}

class Traversal {
public:
    Traversal(XmlWriter& w, std::uint32_t mode) : m_w(w), m_mode(mode), m_insertPI(w.options().InsertPI == 1) {}

    void run(Work first) {
        // The selected element stands where its document had ancestors.
        first.top = true;
        first.source = m_scopes.Around(*first.element);
        if (const ElementRecord* p = first.element->partner()) {
            first.otherParent = ParentRecord(p);
            first.otherInside = m_scopes.Around(*p);
        }
        m_stack.push_back(first);
        while (!m_stack.empty()) {
            Work item = m_stack.back();
            m_stack.pop_back();
            switch (item.kind) {
                case Work::Filtered:
                    filtered(item);
                    break;
                case Work::Merge:
                    merge(item);
                    break;
                case Work::Children:
                    children(item);
                    break;
                case Work::OtherSide:
                    otherSide(item);
                    break;
                case Work::EndTag:
                    m_w.WriteEndTag(*item.owner, item.endsInline);
                    break;
                case Work::Marker:
                    m_w.WriteMarker(item.marker);
                    break;
            }
        }
    }

private:
    // A Filtered item for e placed where `at` (a Merge or Children item) is.
    void pushFiltered(const ElementRecord* e, bool whole, bool filter, bool inside, const Work& at) {
        Work w(Work::Filtered);
        w.element = e;
        w.whole = whole;
        w.filter = filter;
        w.inside = inside;
        w.source = at.source;
        w.written = at.written;
        w.otherParent = at.otherParent;
        w.otherInside = at.otherInside;
        m_stack.push_back(w);
    }
    // The bindings around e in its document, from those of a known parent.
    const NamespaceBinding* around(const ElementRecord& e, const ElementRecord* parent,
                                   const NamespaceBinding* inside) {
        return ParentRecord(&e) == parent ? inside : m_scopes.Around(e);
    }
    void pushMarker(std::u16string_view marker) {
        Work w(Work::Marker);
        w.marker = marker;
        m_stack.push_back(w);
    }

    void filtered(const Work& item) {
        const ElementRecord& e = *item.element;
        const NamespaceBinding* inside = m_scopes.Enter(e, item.source);
        const NamespaceBinding* written = item.written;
        std::u16string declarations;
        if (m_w.options().IncludeIgnoredElements == 0 && e.ignoreState != 0) {
            // A document needs a root: the selected element stands empty.
            if (item.top) {
                m_scopes.Declare(e, false, inside, written, declarations);
                m_w.WriteEmptyElement(e, declarations);
            }
            return;
        }
        if (item.filter && !item.inside && skipped(e, m_mode)) return;
        const bool childrenInside = item.inside || IsEntireElement(e);
        if (item.source == item.written) {
            written = inside;  // in its own place: its own declarations suffice
        } else {
            written = m_scopes.Enter(e, item.written);
            m_scopes.Declare(e, true, inside, written, declarations);
        }
        m_w.WriteStartTag(e, declarations);
        if (item.whole && ChildCountOf(e) == 0 && !e.text) {
            m_w.WriteEmptyClose();
            return;
        }
        // Text among children is prose: its pieces go back between the
        // children, and nothing inside gains a line end.
        const bool mixed = e.text && ChildCountOf(e) > 0;
        const TextLayout* layout = mixed ? TextLayoutOf(e) : nullptr;
        m_w.WriteElementBody(e, layout != nullptr);
        Work end(Work::EndTag);
        end.owner = &e;
        end.endsInline = mixed;
        if (mixed) m_w.BeginInline();
        m_stack.push_back(end);
        Work kids(Work::Children);
        kids.textOwner = layout ? &e : nullptr;
        kids.layout = layout;
        kids.source = inside;
        kids.written = written;
        if (const ElementRecord* partner = item.whole ? nullptr : e.partner()) {
            const ElementRecord& p = *partner;
            Work other(Work::OtherSide);
            other.element = FirstChildRecord(&p);
            other.source = m_scopes.Enter(p, around(p, item.otherParent, item.otherInside));
            other.written = written;
            m_stack.push_back(other);
            kids.otherParent = &p;
            kids.otherInside = other.source;
        }
        kids.element = FirstChildRecord(&e);
        kids.whole = item.whole;
        kids.inside = childrenInside;
        m_stack.push_back(kids);
    }

    void children(Work item) {
        const ElementRecord* c = item.element;
        if (item.layout)
            m_w.WriteTextPieces(*item.textOwner, *item.layout, c ? item.childIndex : ChildCountOf(*item.textOwner),
                                &item.nextPiece);
        if (!c) return;
        Work next = item;
        next.element = NextSiblingRecord(c);
        ++next.childIndex;
        m_stack.push_back(next);
        if (item.whole) {
            pushFiltered(c, true, true, item.inside, item);
        } else {
            Work m = item;
            m.kind = Work::Merge;
            m.element = c;
            m.filter = true;
            m_stack.push_back(m);
        }
    }

    void otherSide(Work item) {
        const ElementRecord* d = item.element;
        while (d && d->partner()) d = NextSiblingRecord(d);
        if (!d) {
            if (item.markerWritten) m_w.WriteMarker(kEndElementsDeleted);
            return;
        }
        if (m_insertPI && !item.markerWritten) {
            m_w.WriteMarker(kStartElementsDeleted);
            item.markerWritten = true;
        }
        Work next = item;
        next.element = NextSiblingRecord(d);
        m_stack.push_back(next);
        pushFiltered(d, true, true, false, item);
    }

    void merge(const Work& item) {
        const ElementRecord& c = *item.element;
        const ElementRecord* p = c.partner();
        const bool identical = p && IsIdentical(c, p);
        if (m_insertPI) {
            if (!p) {
                m_w.WriteMarker(kStartElementsAdded);
                pushMarker(kEndElementsAdded);
                pushFiltered(&c, true, item.filter, item.inside, item);
            } else if (!identical) {
                if (AttributesDiffer(c) && p->attributes) m_w.WriteComment(p->attributesString());
                pushFiltered(&c, false, item.filter, item.inside, item);
            } else {
                pushFiltered(&c, true, item.filter, item.inside, item);
            }
            m_stack.back().top = item.top;
            return;
        }
        if (p && !identical && !OwnDataEqual(c, p, compareSnapshot())) {
            // Both versions, the saved side's first; the other side's comes
            // from under the partner of c's parent.
            Work at = item;
            at.source = around(*p, item.otherParent, item.otherInside);
            pushFiltered(p, true, item.filter, false, at);
            pushFiltered(&c, true, item.filter, item.inside, item);
        } else if (p && !identical) {
            pushFiltered(&c, false, item.filter, item.inside, item);
        } else {
            pushFiltered(&c, true, item.filter, item.inside, item);
        }
        m_stack.back().top = item.top;
    }

    XmlWriter& m_w;
    std::uint32_t m_mode;
    bool m_insertPI;
    std::vector<Work> m_stack;
    NamespaceScopes m_scopes;
};

}  // namespace

void WriteFiltered(XmlWriter& writer, const ElementRecord& element, bool whole, std::uint32_t mode, bool filter,
                   bool insideEntire) {
    Work w(Work::Filtered);
    w.element = &element;
    w.whole = whole;
    w.filter = filter;
    w.inside = insideEntire;
    Traversal(writer, mode).run(w);
}

void MergeStep(XmlWriter& writer, const ElementRecord& element, std::uint32_t mode, bool filter, bool insideEntire) {
    Work w(Work::Merge);
    w.element = &element;
    w.filter = filter;
    w.inside = insideEntire;
    Traversal(writer, mode).run(w);
}

void WriteDocumentBody(XmlWriter& writer, const ElementRecord& selected, std::uint32_t command) {
    if (command == kModeDifferences || command == kModeMerge) {
        // Without markers a pair whose own data differ is written as two
        // elements; for the selected element that would give the file two
        // document elements, so its children are merged under it instead.
        const ElementRecord* p = selected.partner();
        if (writer.options().InsertPI != 1 && p && !IsIdentical(selected, p) &&
            !OwnDataEqual(selected, p, compareSnapshot()))
            WriteFiltered(writer, selected, false, command, false, false);
        else
            MergeStep(writer, selected, command, false, false);
        return;
    }
    if (command >= kModeCommon && command <= kModeDeletedAndChanged)
        WriteFiltered(writer, selected, true, command, false, false);
    else
        WriteSubtree(writer, selected);
}

}  // namespace quillon
