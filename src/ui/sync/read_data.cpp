#include "sync/read_data.h"

#include "sync/image_transfer.h"

namespace tulvo {

bool TReadData::Transfer(ImageTransfer& transfer) {
    return transfer.FullRead();
}

}  // namespace tulvo
