// SPDX-License-Identifier: MIT
#include "report/difference_walk.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "compare/identity.h"
#include "model/document_pane.h"
#include "report/element_path.h"
#include "settings/options.h"

namespace quillon {
namespace {

// Runs ahead of a walk over siblings, asking for their records and, nearer,
// for their partners' records: under a large parent neither is in the cache
// any more, and the walk would wait for each in turn. The far end steps
// through the tree's items, so that it never waits for a record itself.
class SiblingsAhead {
public:
    SiblingsAhead() = default;
    explicit SiblingsAhead(const ElementRecord* first) {
        if (!first || !first->treePane()) return;
        m_pane = first->treePane();
        m_far = m_near = first->item();
        for (std::uint32_t k = 0; k < kRecordsAhead && m_far; ++k) m_far = m_pane->tree.NextSibling(m_far);
        for (std::uint32_t k = 0; k < kRecordsAhead / 2 && m_near; ++k) m_near = m_pane->tree.NextSibling(m_near);
    }
    void step() {
        if (m_far) {
            PrefetchRecord(m_pane->record(m_far));
            m_far = m_pane->tree.NextSibling(m_far);
        }
        if (m_near) {
            if (const ElementRecord* r = m_pane->record(m_near)) PrefetchRecord(r->partner());
            m_near = m_pane->tree.NextSibling(m_near);
        }
    }

private:
    const DocumentPane* m_pane = nullptr;
    TreeItem m_far = kNoItem;
    TreeItem m_near = kNoItem;
};

struct Added {
    const ElementRecord* record;
    std::uint32_t position;
    StepForm form;
};

// A pair whose children are being walked (the top frame stands for the
// document level, with null parents).
struct Frame {
    const ElementRecord* left = nullptr;
    const ElementRecord* right = nullptr;
    const ElementRecord* next = nullptr;  // the next left child
    SiblingsAhead ahead;                  // of next
    std::size_t leftPathLength = 0;
    std::size_t rightPathLength = 0;
    bool leftScope = false;  // a default namespace is in scope for the children
    bool rightScope = false;
    SiblingPositions leftPositions;
    // Right children that are added, by the left child whose partner they
    // follow (null: before every paired child). They are reported with the
    // deleted ones that follow the same paired child, after them, as diff
    // puts removed lines before added ones.
    std::unordered_map<const ElementRecord*, std::vector<Added>> addedAfter;
    const ElementRecord* lastPaired = nullptr;
    // Positions and forms of right children with a changed partner.
    std::unordered_map<const ElementRecord*, std::pair<std::uint32_t, StepForm>> rightSteps;
    std::uint64_t equalSiblings = 0;
    std::uint64_t equalElements = 0;
};

class Walk {
public:
    Walk(const DocumentPane& left, const DocumentPane& right, DifferenceVisitor& visitor)
        : m_leftPane(left), m_rightPane(right), m_visitor(visitor),
          m_prefixesDropped(options().IgnoreNamespaces != 0) {}

    void run() {
        m_frames.emplace_back();
        open(m_frames.back());
        while (!m_frames.empty()) {
            Frame& f = m_frames.back();
            if (!f.next) {
                close();
                continue;
            }
            const ElementRecord& c = *f.next;
            f.next = NextSiblingRecord(&c);
            f.ahead.step();
            if (IsNamedElement(&c)) child(f, c);
        }
    }

private:
    const ElementRecord* firstChild(const ElementRecord* parent, const DocumentPane& pane) const {
        return parent ? FirstChildRecord(parent) : RootRecord(pane);
    }

    // The right children: their positions, and where the added ones go.
    void open(Frame& f) {
        f.next = firstChild(f.left, m_leftPane);
        f.ahead = SiblingsAhead(f.next);
        SiblingPositions positions;
        const ElementRecord* anchor = nullptr;
        const ElementRecord* const first = firstChild(f.right, m_rightPane);
        SiblingsAhead ahead(first);
        for (const ElementRecord* c = first; c; c = NextSiblingRecord(c)) {
            ahead.step();
            if (!IsNamedElement(c)) continue;
            const StepForm form = StepFormOf(*c, f.rightScope, m_prefixesDropped);
            const std::uint32_t position = positions.next(*c, form);
            const int state = CompareState(*c);
            if (state == 2) {
                f.addedAfter[anchor].push_back({c, position, form});
            } else if (const ElementRecord* p = c->partner()) {
                if (state == 1) f.rightSteps[c] = {position, form};
                if (ParentRecord(p) == f.left) anchor = p;
            }
        }
    }

    void child(Frame& f, const ElementRecord& c) {
        const StepForm form = StepFormOf(c, f.leftScope, m_prefixesDropped);
        const std::uint32_t position = f.leftPositions.next(c, form);
        const int state = CompareState(c);
        if (c.partner()) {
            reportAddedAfter(f, f.lastPaired);
            f.lastPaired = &c;
        }
        if (state == 0) {
            ++f.equalSiblings;
            f.equalElements += SubtreeSize(c);
            return;
        }
        flushEqual(f);
        m_leftPath.resize(f.leftPathLength);
        m_rightPath.resize(f.rightPathLength);
        AppendStep(m_leftPath, c, form, position);
        Difference d;
        d.left = &c;
        d.depth = std::uint32_t(m_frames.size() - 1);
        d.leftPath = m_leftPath;
        if (state == 2) {
            d.kind = DifferenceKind::Deleted;
            m_visitor.difference(d);
            return;
        }
        const ElementRecord& p = *c.partner();
        if (auto it = f.rightSteps.find(&p); it != f.rightSteps.end())
            AppendStep(m_rightPath, p, it->second.second, it->second.first);
        else
            m_rightPath = ElementPath(p, m_prefixesDropped);  // paired across parents
        d.right = &p;
        d.rightPath = m_rightPath;
        d.ownChange = !OwnDataEqual(c, &p, compareSnapshot());
        if (d.ownChange) m_visitor.difference(d);
        if (!FirstChildRecord(&c) && !FirstChildRecord(&p)) return;
        m_visitor.enter(d);
        Frame next;
        next.left = &c;
        next.right = &p;
        next.leftPathLength = m_leftPath.size();
        next.rightPathLength = m_rightPath.size();
        next.leftScope = DefaultNamespaceBelow(c, f.leftScope);
        next.rightScope = DefaultNamespaceBelow(p, f.rightScope);
        m_frames.push_back(std::move(next));
        open(m_frames.back());
    }

    void close() {
        Frame& f = m_frames.back();
        reportAddedAfter(f, f.lastPaired);
        flushEqual(f);
        // Added elements whose anchor was paired across parents.
        std::vector<Added> rest;
        for (auto& [anchor, added] : f.addedAfter) rest.insert(rest.end(), added.begin(), added.end());
        std::sort(rest.begin(), rest.end(), [](const Added& a, const Added& b) { return a.record->line < b.record->line; });
        report(f, rest);
        const bool entered = f.left != nullptr;
        m_frames.pop_back();
        if (entered) m_visitor.leave();
    }

    void reportAddedAfter(Frame& f, const ElementRecord* anchor) {
        if (f.addedAfter.empty()) return;
        auto it = f.addedAfter.find(anchor);
        if (it == f.addedAfter.end()) return;
        report(f, it->second);
        f.addedAfter.erase(it);
    }

    void report(Frame& f, const std::vector<Added>& added) {
        if (added.empty()) return;
        flushEqual(f);
        for (const Added& a : added) {
            m_rightPath.resize(f.rightPathLength);
            AppendStep(m_rightPath, *a.record, a.form, a.position);
            Difference d;
            d.kind = DifferenceKind::Added;
            d.right = a.record;
            d.rightPath = m_rightPath;
            d.depth = std::uint32_t(m_frames.size() - 1);
            m_visitor.difference(d);
        }
    }

    void flushEqual(Frame& f) {
        if (f.equalSiblings == 0) return;
        m_visitor.unchanged(f.equalSiblings, f.equalElements);
        f.equalSiblings = f.equalElements = 0;
    }

    const DocumentPane& m_leftPane;
    const DocumentPane& m_rightPane;
    DifferenceVisitor& m_visitor;
    const bool m_prefixesDropped;
    std::vector<Frame> m_frames;
    std::string m_leftPath;
    std::string m_rightPath;
};

}  // namespace

void WalkDifferences(const DocumentPane& left, const DocumentPane& right, DifferenceVisitor& visitor) {
    Walk(left, right, visitor).run();
}

}  // namespace quillon
