// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

#include <xercesc/sax/InputSource.hpp>

namespace quillon {

// A local file for the parser, opened by its bytes (FileNameBytes). The
// parser's own file source transcodes the name and cannot open one that is
// not UTF-8. The system id is the one that source gives (the path made
// absolute against the current folder, "./" and "../" removed as it removes
// them), so messages and relative references read as they always did.
// bytesRead, when given, counts the bytes the parser has read so far.
class LocalFileSource : public xercesc::InputSource {
public:
    explicit LocalFileSource(std::u16string_view path, std::uint64_t* bytesRead = nullptr);
    xercesc::BinInputStream* makeStream() const override;

private:
    std::uint64_t* m_bytesRead;
};

}  // namespace quillon
