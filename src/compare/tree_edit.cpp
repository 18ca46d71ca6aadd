// SPDX-License-Identifier: MIT
#include "compare/tree_edit.h"

#include <vector>

#include "compare/compare_commands.h"
#include "compare/identity.h"
#include "compare/pairing.h"
#include "compare/prepare.h"
#include "model/child_name_table.h"
#include "model/document_pane.h"
#include "model/line_count.h"
#include "platform/notifier.h"
#include "settings/options.h"

namespace quillon {
namespace {

// CopyRecord names every field; a new field must be added there too.
static_assert(sizeof(ElementRecord) == 48, "ElementRecord changed: copy the new field in CopyRecord");

bool isEndOfDocument(const ElementRecord& r) {
    return r.name() && r.name()->length == 0 && !ParentRecord(&r);
}

bool editable(const ElementRecord* r) {
    return r && IsInTree(*r) && !isEndOfDocument(*r);
}

// Partner links always go both ways: a record that is released clears only
// the link back to it, so a one-sided link would be left dangling.
void linkPartners(ElementRecord& a, ElementRecord& b) {
    for (const ElementRecord* r : {&a, &b}) ClearBackLink(*r);
    a.setPartner(&b);
    b.setPartner(&a);
}

// The item's height follows its content as it does after loading.
void refreshHeight(const ElementRecord& r) {
    r.treePane()->tree.SetHeight(r.item(), options().DisplayFullMode ? LineCount(r, true) : 1);
}

std::uint64_t subtreeSize(const ElementRecord& r) {
    const TreePane& tree = r.treePane()->tree;
    std::uint64_t n = 1;
    const TreeItem top = r.item();
    for (TreeItem it = tree.NextInSubtree(top, top); it; it = tree.NextInSubtree(it, top)) ++n;
    return n;
}

bool isWithin(const TreePane& tree, TreeItem item, TreeItem top) {
    for (; item; item = tree.Parent(item))
        if (item == top) return true;
    return false;
}

// The ignore state an element inherits from its parent in a preparation.
std::uint8_t inheritedIgnoreState(const ElementRecord& e) {
    const ElementRecord* parent = ParentRecord(&e);
    if (!parent) return 0;
    if (parent->ignoreState == 2) return 2;
    if (parent->ignoreState == 3 || parent->ignoreState == 4) return 4;
    return 0;
}

// Gives the blank record k, of the destination pane, the source's values.
ElementRecord* copyInto(ElementRecord* k, ElementRecord& s) {
    k->nameIndex = s.nameIndex;
    k->line = s.line;
    // The child-name table below is stored again in this pane.
    if (const SubtreeDigest* d = s.ownDigest()) WritableSubtree(*k) = *d;
    k->textWeight = s.textWeight;
    k->attrWeight = s.attrWeight;
    k->column = s.column;
    k->ignoreState = s.ignoreState;
    k->diffFlags = s.diffFlags;
    k->ruleFlags = s.ruleFlags;
    // Strings and tables live in the destination pane and go away with it.
    SetRecordText(k, s.textString());
    SetAttributesText(k, s.attributesString());
    // Kept in every mode: this pane's loader did not fold the copy's strings.
    SetModeHashes(*k, AllModeHashes(s), true);
    SetChildNameTable(*k, s.childNameIds(), s.childNameCounts(), s.distinctChildNameCount());
    SetKeyAttrSignature(*k, KeyAttrSignatureOf(s));
    if (const TextLayout* layout = TextLayoutOf(s)) SetTextLayout(*k, *layout);
    linkPartners(*k, s);
    return k;
}

}  // namespace

ElementRecord* CopyRecord(DocumentPane& dest, ElementRecord& s) { return copyInto(NewRecord(dest), s); }

// The end-of-document item shows the number of elements of its document.
void AdjustElementCount(DocumentPane& pane, std::int64_t delta) {
    ElementRecord* end = EndOfDocumentRecord(pane);
    if (!end || !isEndOfDocument(*end) || end == RootRecord(pane)) return;
    const std::int64_t count = std::int64_t(end->descendantCount()) + delta;
    WritableSubtree(*end).descendantCount = count > 0 ? std::uint32_t(count) : 0u;
}

DetachedSubtree DetachSubtree(ElementRecord& top) {
    DetachedSubtree out;
    if (!IsInTree(top)) return out;
    DocumentPane& pane = *top.treePane();
    TreePane& tree = pane.tree;
    const TreeItem first = top.item();
    out.pane = &pane;
    for (TreeItem it = first; it; it = tree.NextInSubtree(it, first)) {
        ElementRecord* r = pane.record(it);
        DetachedSubtree::Node n;
        n.record = r;
        n.parent = it == first ? nullptr : pane.record(tree.Parent(it));
        n.partner = r->partner();
        n.height = tree.Height(it);
        n.expanded = tree.IsExpanded(it);
        out.nodes.push_back(n);
    }
    // Nothing outside may point at a record that is out of the tree.
    for (const DetachedSubtree::Node& n : out.nodes) {
        ClearBackLink(*n.record);
        n.record->setPartner(nullptr);
    }
    tree.DeleteItem(first);
    out.attached = false;
    return out;
}

void AttachSubtree(DetachedSubtree& s, ElementRecord* parent, TreeItem after) {
    if (s.attached || s.nodes.empty() || !s.pane) return;
    DocumentPane& pane = *s.pane;
    for (const DetachedSubtree::Node& n : s.nodes) {
        if (!n.parent)
            InsertRecord(n.record, parent, pane, after ? InsertAt::After : InsertAt::First, after);
        else
            InsertRecord(n.record, n.parent, pane);
        pane.tree.SetHeight(n.record->item(), n.height);
        pane.tree.SetExpanded(n.record->item(), n.expanded);
    }
    for (const DetachedSubtree::Node& n : s.nodes) {
        // A partner taken by another element since stays with it.
        if (n.partner && IsInTree(*n.partner) && !n.partner->partner()) linkPartners(*n.record, *n.partner);
    }
    s.attached = true;
}

void ReleaseSubtree(DetachedSubtree& s) {
    if (s.attached) return;
    for (const DetachedSubtree::Node& n : s.nodes) ReleaseRecord(n.record);
    s.nodes.clear();
}

std::uint64_t CopyChildren(ElementRecord& d, ElementRecord& s) {
    if (!d.treePane() || !s.treePane()) return 0;
    DocumentPane& pane = *d.treePane();
    const DocumentPane& fromPane = *s.treePane();
    const TreePane& from = fromPane.tree;
    // Copying a subtree into itself would never end.
    if (&pane == &fromPane && isWithin(pane.tree, d.item(), s.item())) return 0;

    struct Frame {
        ElementRecord* copy;
        TreeItem nextSource;
    };
    std::vector<Frame> stack{{&d, from.FirstChild(s.item())}};
    std::uint64_t created = 0;
    while (!stack.empty()) {
        const TreeItem item = stack.back().nextSource;
        if (!item) {
            stack.pop_back();
            continue;
        }
        stack.back().nextSource = from.NextSibling(item);
        ElementRecord* parent = stack.back().copy;
        ElementRecord* c = fromPane.record(item);
        if (!c) continue;
        ElementRecord* k = CopyRecord(pane, *c);
        InsertRecord(k, parent, pane);
        refreshHeight(*k);
        ++created;
        if (const TreeItem first = from.FirstChild(item)) stack.push_back({k, first});
    }
    return created;
}

bool RenameChildName(ElementRecord& p, std::uint32_t oldId, std::uint32_t newId) {
    if (oldId == newId) return true;
    const std::uint32_t n = p.distinctChildNameCount();
    const std::uint32_t o = FindChildName(p, oldId);
    if (o == n) return false;
    const std::uint32_t w = FindChildName(p, newId);
    std::vector<std::uint32_t> ids(p.childNameIds(), p.childNameIds() + n);
    std::vector<std::uint32_t> counts(p.childNameCounts(), p.childNameCounts() + n);
    if (w < n) {
        ++counts[w];
        if (--counts[o] == 0) {
            ids.erase(ids.begin() + o);
            counts.erase(counts.begin() + o);
        }
    } else if (counts[o] == 1) {
        ids[o] = newId;
    } else {
        --counts[o];
        // A full table keeps its names, as loading does; the renamed child
        // then joins no name group.
        if (n < kChildNameCapacity) {
            ids.push_back(newId);
            counts.push_back(1);
        }
    }
    SetChildNameTable(p, ids.data(), counts.data(), std::uint32_t(ids.size()));
    return true;
}

bool ReplaceAllowed(ElementRecord& target, const ElementRecord& source) {
    if (PathHashOf(target) != PathHashOf(source) &&
        notifier().show(u"Warning!", u"The names of elements are not equal\nReplace anywhere?!", MessageIcon::Warning,
                        MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;
    ElementRecord* parent = ParentRecord(&target);
    if (!parent) return true;
    // Equal name paths normally mean equal names; should two paths share a
    // hash, the parent's table still has to follow the new name.
    if (RenameChildName(*parent, NameIdOf(target), NameIdOf(source))) return true;
    notifier().show(u"Resriction", u"The replacement is not allowed", MessageIcon::Error, MessageButtons::Ok);
    return false;
}

ElementRecord* ReplaceElement(ElementRecord* target, ElementRecord* source, DetachedSubtree* kept) {
    if (!editable(target) || !editable(source) || target->treePane() == source->treePane()) return nullptr;
    DocumentPane& pane = *target->treePane();
    const std::uint64_t removed = subtreeSize(*target);
    // The copy goes in right after the target, which then leaves.
    ElementRecord* r = CopyRecord(pane, *source);
    InsertRecord(r, ParentRecord(target), pane, InsertAt::After, target->item());
    refreshHeight(*r);
    const std::uint64_t created = 1 + CopyChildren(*r, *source);
    if (kept) {
        *kept = DetachSubtree(*target);
    } else {
        const TreeItem item = target->item();
        DestroySubtree(target);
        pane.tree.DeleteItem(item);
    }
    AdjustElementCount(pane, std::int64_t(created) - std::int64_t(removed));
    return r;
}

ElementRecord* InsertElementCopy(ElementRecord* target, ElementRecord* source) {
    if (!editable(target) || !editable(source) || target->treePane() == source->treePane()) return nullptr;
    ElementRecord* parent = ParentRecord(target);
    if (!parent) return nullptr;
    DocumentPane& pane = *target->treePane();

    ElementRecord* k = CopyRecord(pane, *source);
    InsertRecord(k, parent, pane, InsertAt::After, target->item());
    refreshHeight(*k);
    CountChildName(*parent, NameIdOf(*source));
    const std::uint64_t created = 1 + CopyChildren(*k, *source);
    AdjustElementCount(pane, std::int64_t(created));
    return k;
}

void CopyOwnData(ElementRecord& e, const ElementRecord& from) {
    // Where the text stood among the children goes with the text; it holds
    // only while e's children are those the text stood among.
    const TextLayout* layout = TextLayoutOf(from);
    SetTextLayout(e, layout ? *layout : TextLayout());
    SetRecordText(&e, from.textString());
    SetAttributesText(&e, from.attributesString());
    e.textWeight = from.textWeight;
    e.attrWeight = from.attrWeight;
    SetModeHashes(e, AllModeHashes(from), true);
    // The key attribute's signature follows the attributes it was taken from.
    // Elements of the same kind would get the very same one when loaded.
    if (NameIdOf(e) == NameIdOf(from) && PathHashOf(e) == PathHashOf(from)) {
        SetKeyAttrSignature(e, KeyAttrSignatureOf(from));
    }
    if (IsInTree(e)) refreshHeight(e);
}

OwnData OwnDataOf(const ElementRecord& e) {
    OwnData d;
    d.text = e.textUtf16();
    d.attributes = e.attributesUtf16();
    d.textWeight = e.textWeight;
    d.attrWeight = e.attrWeight;
    d.hashes = AllModeHashes(e);
    if (const KeyAttrSignature* k = KeyAttrSignatureOf(e)) d.keySignature = *k;
    return d;
}

void SetOwnData(ElementRecord& e, const OwnData& d) {
    SetRecordText(&e, std::u16string_view(d.text));
    SetAttributesText(&e, std::u16string_view(d.attributes));
    e.textWeight = d.textWeight;
    e.attrWeight = d.attrWeight;
    SetModeHashes(e, d.hashes, true);
    SetKeyAttrSignature(e, d.keySignature ? &*d.keySignature : nullptr);
    if (IsInTree(e)) refreshHeight(e);
}

void Synchronize(ElementRecord& e, const std::function<void(ElementRecord&)>& beforeCopy) {
    const CompareSnapshot& snapshot = compareSnapshot();
    std::vector<ElementRecord*> pending{&e};
    std::vector<ElementRecord*> children;
    while (!pending.empty()) {
        ElementRecord* r = pending.back();
        pending.pop_back();
        if (const ElementRecord* p = r->partner(); p && !OwnDataEqual(*r, p, snapshot)) {
            if (beforeCopy) beforeCopy(*r);
            CopyOwnData(*r, *p);
        }
        if (!(r->diffFlags & kChangedBelow) || ChildCountOf(*r) == 0) continue;
        children.clear();
        for (ElementRecord* c = FirstChildRecord(r); c; c = NextSiblingRecord(c)) children.push_back(c);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
}

void SynchronizeElements(ElementRecord* target, ElementRecord* source,
                         const std::function<void(ElementRecord&)>& beforeCopy) {
    if (!editable(target) || !editable(source) || target->treePane() == source->treePane()) return;
    if (target->partner() != source) {
        // Pairing reads the digests of a prepared subtree and leaves stale
        // partners alone, so both subtrees are prepared afresh first; copying
        // own data from a partner of an older comparison would be wrong.
        // Without a comparison result the options in force are the snapshot.
        if (!compareCommandState().Compared) TakeCompareSnapshot(options());
        UseSnapshotMode(*target->treePane(), *source->treePane());
        const CompareCounters kept = compareCounters();
        PrepareSubtree(target, inheritedIgnoreState(*target));
        PrepareSubtree(source, inheritedIgnoreState(*source));
        PairElements(target, source);
        // The counters keep describing the last compare command.
        compareCounters() = kept;
    }
    Synchronize(*target, beforeCopy);
}

}  // namespace quillon
