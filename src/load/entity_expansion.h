// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quillon {

// Bounds what entity expansion may produce in one document, so that an
// expansion bomb fails at once instead of filling memory: every internal
// entity is measured when its expansion is first needed (the sum of its
// characters with its references expanded), its definitions may nest only
// so deep, and the text that expansions deliver is counted against a budget
// relative to the document's size. The number of references does not count:
// a document may use a small entity as often as it likes.
class EntityExpansionGuard {
public:
    static constexpr std::uint64_t kFloorChars = std::uint64_t(8) << 20;
    static constexpr std::uint64_t kBytesFactor = 2;
    static constexpr std::uint32_t kMaxNesting = 16;

    // Forgets the entities; the budget is the larger of the floor and
    // kBytesFactor characters per byte of the document.
    void Reset(std::uint64_t documentBytes);
    // A general entity with its replacement text (references unexpanded).
    // The first declaration of a name binds, as in the parser.
    void Declare(std::u16string_view name, std::u16string_view value);
    // Empty when the entity may be expanded, else why not.
    std::u16string Check(std::u16string_view name);
    // Checks every declared entity; empty when all are within bounds.
    std::u16string CheckAll();
    // Counts characters that an expansion delivered; the message once the
    // budget is spent, else empty.
    std::u16string Deliver(std::uint64_t chars);
    std::uint64_t budget() const { return m_budget; }
    // The largest expanded size measured so far (at least 1).
    std::uint64_t largest() const { return m_largest; }

private:
    struct Entity {
        std::u16string value;
        std::uint64_t size = 0;
        std::uint32_t depth = 0;
        std::uint8_t state = 0;  // 0 not measured, 1 being measured, 2 measured
    };
    // Measures an entity; false when a bound is exceeded (m_failure says which).
    bool measure(const std::u16string& name, Entity& e, std::uint32_t level);
    std::u16string failureText(std::u16string_view name) const;

    std::unordered_map<std::u16string, Entity> m_entities;
    std::uint64_t m_budget = kFloorChars;
    std::uint64_t m_delivered = 0;
    std::uint64_t m_largest = 1;
    enum class Failure { None, Size, Nesting } m_failure = Failure::None;
};

}  // namespace quillon
