// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace quillon {

// Thrown through the parser to end a load at once for a reason the user is
// told (an expansion bomb, too many problems, a fetch that failed).
struct LoadAborted {
    std::u16string message;
};

// Thrown once the document's entities are measured, when the parser's count
// of entity expansions must be tighter than the one it started with: the
// parse starts again with it (the entities come first, so little is lost).
struct ParseRestart {
    std::uint64_t expansionLimit = 0;
};

// Thrown when validation needs a schema that cannot be read: the parse
// starts again without reading schemas, and the load says so.
struct SchemaUnavailable {};

}  // namespace quillon
