#include "sim/request.h"

#include "link/crc8.h"

namespace tulvo::sim {

namespace {
constexpr std::size_t kHeaderSize = 6;
}

std::optional<Request> Request::Parse(std::span<const std::uint8_t> body) {
    if (body.size() < kHeaderSize || Crc8(body.first(kHeaderSize)) != 0) {
        return std::nullopt;
    }
    const auto payload = body.subspan(kHeaderSize);
    if (payload.size() > 1 && Crc8(payload) != 0) {
        return std::nullopt;
    }
    Request request;
    request.command = body[0];
    request.requestLength = body[1];
    request.replyLength = body[2];
    request.index = static_cast<std::uint16_t>(body[3] | (body[4] << 8));
    request.payload.assign(payload.begin(), payload.end());
    return request;
}

std::vector<std::uint8_t> Reply::Body() const {
    std::vector<std::uint8_t> body{status, 0, 0, 0, 0, 0};
    body[5] = Crc8(body.data(), 5);
    body.insert(body.end(), payload.begin(), payload.end());
    if (payload.size() > 1) {
        body.back() = Crc8(body.data() + kHeaderSize, payload.size() - 1);
    }
    return body;
}

}  // namespace tulvo::sim
