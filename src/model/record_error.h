#pragma once

#include <stdexcept>

namespace tulvo {

// Raised by a record store that refuses its value. what() is the operator's
// message, UTF-8, word for word; the record keeps its old bytes.
class RecordError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace tulvo
