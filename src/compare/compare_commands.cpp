// SPDX-License-Identifier: MIT
#include "compare/compare_commands.h"

#include <string>
#include <vector>

#include "compare/identity.h"
#include "compare/prepare.h"
#include "model/document_pane.h"
#include "settings/options.h"

namespace quillon {
namespace {

std::u16string decimal(std::uint64_t n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

void showResult(std::uint64_t total, bool documents) {
    const ResultMessage m = BuildResultMessage(compareCounters(), total, documents);
    notifier().show(u"Result", m.text, m.icon, MessageButtons::Ok);
}

// The end-of-document item is no element to compare.
bool isEndOfDocument(const ElementRecord* r) {
    return r && r->name() && r->name()->length == 0 && !ParentRecord(r);
}

bool isSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::u16string shortenedName(std::u16string_view name) {
    if (name.size() <= 60) return std::u16string(name);
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (!isSeparator(name[i]) || name.size() - i >= 60) continue;
        if (i >= 4) return u"..." + std::u16string(name.substr(i));
        return std::u16string(name);
    }
    const std::size_t last = name.find_last_of(u"\\/");
    return std::u16string(last == std::u16string_view::npos ? name : name.substr(last));
}

void removeWithPartner(ElementRecord* e) {
    compareCommandState().ViewFiltered = true;
    if (ElementRecord* p = e->partner()) {
        DocumentPane* pane = p->treePane();
        const TreeItem item = p->item();
        DestroySubtree(p);
        if (pane) pane->tree.DeleteItem(item);
    }
    DocumentPane* pane = e->treePane();
    const TreeItem item = e->item();
    DestroySubtree(e);
    if (pane) pane->tree.DeleteItem(item);
}

}  // namespace

CompareCommandState& compareCommandState() {
    static CompareCommandState instance;
    return instance;
}

std::uint64_t UnpairedCount(const CompareCounters& c, std::uint64_t total) {
    const std::uint64_t paired = 2 * (c.EqualPairs + c.ChangedPairs);
    return total > paired ? total - paired : 0;
}

ResultMessage BuildResultMessage(const CompareCounters& c, std::uint64_t total, bool documents) {
    ResultMessage m;
    if (c.ChangedPairs != 0) {
        m.identical = false;
        m.icon = MessageIcon::Warning;
        m.text = decimal(UnpairedCount(c, total)) + u" element(s) were deleted\n" + decimal(c.ChangedPairs) +
                 u" element(s) were changed\n" + decimal(c.IgnoredElements) +
                 u" element(s) were ignored\n\nYou may change comparison\u2019s options";
        return m;
    }
    m.text = documents ? u"The two XML Documents are identical ! " : u"The two XML Elements are identical ! ";
    return m;
}

std::u16string CompareWindowTitle(std::u16string_view leftName, std::u16string_view rightName) {
    std::u16string left(leftName), right(rightName);
    if (left.size() + right.size() >= 120) {
        left = shortenedName(left);
        right = shortenedName(right);
    }
    return left + u" - " + right + u" [Quillon]";
}

bool CompareFiles(DocumentPane* left, DocumentPane* right, CompareHost& host, std::u16string_view leftName,
                  std::u16string_view rightName, const PairingProgress& progress) {
    CompareCommandState& state = compareCommandState();
    if (!left || !right) return state.Compared = false;
    if (state.ViewFiltered) host.ReloadBoth();
    ResetCompareCounters();
    ElementRecord* leftRoot = RootRecord(*left);
    ElementRecord* rightRoot = RootRecord(*right);
    if (!leftRoot || !rightRoot || isEndOfDocument(leftRoot) || isEndOfDocument(rightRoot))
        return state.Compared = false;

    state.Compared = false;
    TakeCompareSnapshot(options());
    UseSnapshotMode(*left, *right);
    host.EnableSaveCommands();
    PrepareDocuments(leftRoot, rightRoot);
    host.SetStatusText(u"Comparing...");
    PairElements(leftRoot, rightRoot, progress);
    if (state.ViewMode != kViewNormal) {
        const bool onlySimilarities = state.ViewMode == kViewOnlySimilarities;
        FilterView(leftRoot, onlySimilarities);
        FilterView(rightRoot, onlySimilarities);
    } else {
        state.ViewFiltered = false;
    }
    state.Compared = true;
    host.SetWindowTitle(CompareWindowTitle(leftName, rightName));
    if (options().ExpandDiff) {
        ExpandDifferences(leftRoot);
        ExpandDifferences(rightRoot);
        host.DifferencesExpanded();
    } else {
        host.RefreshPanes(nullptr, nullptr);
    }
    const std::u16string pairing = PairingSummary(pairingReport());
    host.SetStatusText(pairing.empty() ? std::u16string(u"Compared") : u"Compared. " + pairing);
    showResult(std::uint64_t(leftRoot->descendantCount()) + rightRoot->descendantCount() + 2, true);
    return true;
}

bool CompareElements(DocumentPane* left, DocumentPane* right, CompareHost& host) {
    CompareCommandState& state = compareCommandState();
    if (state.ViewFiltered) {
        notifier().show(u"Error", u"Please unset the \"Display only differences\" option !", MessageIcon::Error,
                        MessageButtons::Ok);
        return false;
    }
    ElementRecord* a = left ? SelectedRecord(*left) : nullptr;
    ElementRecord* b = right ? SelectedRecord(*right) : nullptr;
    if (!a || !b || isEndOfDocument(a) || isEndOfDocument(b)) {
        notifier().show(u"Error", u"Please select two elements on both panels!", MessageIcon::Error,
                        MessageButtons::Ok);
        return false;
    }
    state.Compared = false;
    TakeCompareSnapshot(options());
    UseSnapshotMode(*left, *right);
    host.EnableSaveCommands();
    ResetCompareCounters();
    PrepareSubtree(a, 0);
    PrepareSubtree(b, 0);
    PairElements(a, b);
    state.Compared = true;
    host.RefreshPanes(a, b);
    showResult(std::uint64_t(a->descendantCount()) + b->descendantCount() + 2, false);
    return true;
}

void FilterView(ElementRecord* start, bool onlySimilarities) {
    if (!start) return;
    std::vector<ElementRecord*> pending;
    std::vector<ElementRecord*> children;
    auto pushChildren = [&](ElementRecord* e) {
        children.clear();
        for (ElementRecord* c = FirstChildRecord(e); c; c = NextSiblingRecord(c)) children.push_back(c);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    };
    pushChildren(start);
    while (!pending.empty()) {
        ElementRecord* e = pending.back();
        pending.pop_back();
        const int state = CompareState(*e);
        if (onlySimilarities ? state != 0 : state == 0)
            removeWithPartner(e);
        else
            pushChildren(e);
    }
}

void ExpandDifferences(ElementRecord* start) {
    if (!start || !start->treePane()) return;
    DocumentPane& pane = *start->treePane();
    TreePane& tree = pane.tree;
    const TreeItem top = start->item();
    for (TreeItem it = top; it; it = tree.NextInSubtree(it, top)) {
        const ElementRecord* e = pane.record(it);
        if (e && CompareState(*e) != 0 && tree.Parent(it)) tree.SetExpanded(tree.Parent(it), true);
    }
}

}  // namespace quillon
