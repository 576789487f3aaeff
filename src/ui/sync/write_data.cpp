#include "sync/write_data.h"

#include "sync/image_transfer.h"

namespace tulvo {

bool TWriteData::Transfer(ImageTransfer& transfer) {
    return transfer.FullWrite();
}

}  // namespace tulvo
