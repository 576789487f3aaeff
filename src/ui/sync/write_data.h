#pragma once

#include "ui/sync/read_write_data.h"

namespace tulvo {

// Writes the whole image to the gateway: subscribers, settings, alarm,
// black/white list and SMS texts, stopping at the first failure.
class TWriteData : public TReadWriteData {
    Q_OBJECT
  public:
    using TReadWriteData::TReadWriteData;
};

}  // namespace tulvo
