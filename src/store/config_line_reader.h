#pragma once

#include <cstddef>
#include <string>

#include "store/byte_source.h"

namespace tulvo {

// Splits a configuration file into lines the way its reader expects: spaces
// and CR are dropped, and a line keeps at most 255 characters; the character
// after them is lost and what follows is read as a line of its own.
class ConfigLineReader {
  public:
    static constexpr std::size_t kMaxLine = 255;

    explicit ConfigLineReader(ByteSource& source) : source_(source) {}

    // False at the end of the input.
    bool Next(std::string& line);

  private:
    ByteSource& source_;
};

}  // namespace tulvo
