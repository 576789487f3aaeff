#pragma once

#include "ui/sync/read_write_data.h"

namespace tulvo {

// Reads the whole image from the gateway: subscribers, settings, alarm,
// black/white list and SMS texts, stopping at the first failure.
class TReadData : public TReadWriteData {
    Q_OBJECT
  public:
    using TReadWriteData::TReadWriteData;
};

}  // namespace tulvo
