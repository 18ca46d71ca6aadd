// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

#include <xercesc/sax/InputSource.hpp>

namespace quillon {

// A local file for the parser, opened by its bytes (FileNameBytes). The
// parser's own file source transcodes the name and cannot open one that is
// not UTF-8. The system id is the one that source gives (the path made
// absolute against the current folder, "./" and "../" removed as it removes
// them), so messages and relative references read as they always did.
class LocalFileSource : public xercesc::InputSource {
public:
    explicit LocalFileSource(std::u16string_view path);
    xercesc::BinInputStream* makeStream() const override;
};

}  // namespace quillon
