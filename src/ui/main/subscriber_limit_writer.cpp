#include "main/subscriber_limit_writer.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "link/port_most.h"
#include "model/operator.h"
#include "model/t_data.h"

namespace tulvo {

namespace {

const char* const kCannotOpen = "Невозможно открыть порт!";
const char* const kEnterLimit = "Введите лимит!";
const char* const kBadValue = "Недопустимое значение!";
const char* const kChooseCalls =
    "Выберете тип звонков на которые будет распространяться лимит(Исх, Вход, или оба)";
const char* const kWriteFailed = "Ошибка при чтении данных!";

}  // namespace

SubscriberLimitWriter::SubscriberLimitWriter(TData& image, const DeviceAccess& device)
    : image_(image), device_(device) {}

bool SubscriberLimitWriter::Build(const Request& request, std::uint8_t* record) {
    AbLimitRecord limit(
        std::span<std::uint8_t, AbLimitRecord::kSize>(record, AbLimitRecord::kSize));
    limit.Reset();
    limit.SetLimitOn(request.limitOn);
    limit.SetLimitOut(request.limitOut);
    limit.SetLimitIn(request.limitIn);
    if (!request.limitOn) {
        return true;
    }
    if (request.minutes.empty()) {
        device_.op.Message(kEnterLimit);
        return false;
    }
    std::uint32_t minutes = 0;
    const char* first = request.minutes.data();
    const char* last = first + request.minutes.size();
    const auto [end, error] = std::from_chars(first, last, minutes);
    if (error != std::errc() || end != last || minutes > UINT32_MAX / 60) {
        device_.op.Message(kBadValue);
        return false;
    }
    if (!request.limitOut && !request.limitIn) {
        device_.op.Message(kChooseCalls);
        return false;
    }
    limit.SetLimitSeconds(minutes * 60);
    return true;
}

bool SubscriberLimitWriter::Write(int n, const Request& request) {
    const std::string device = device_.portName();
    if (device.empty()) {
        device_.op.Error(kCannotOpen);
        return false;
    }
    std::array<std::uint8_t, TPortMost::kMaxPayload> buffer{};
    if (!Build(request, buffer.data())) {
        return false;
    }
    if (!device_.port.Open(device)) {
        device_.op.ErrorWithDetail(kCannotOpen, device_.port.LastOpenError());
        return false;
    }
    const std::array<std::uint8_t, AbLimitRecord::kSize> sent = [&] {
        std::array<std::uint8_t, AbLimitRecord::kSize> copy{};
        std::copy_n(buffer.begin(), copy.size(), copy.begin());
        return copy;
    }();
    std::uint8_t status = 0xFF;
    const bool done = device_.port.WriteAbLimit(n, buffer, status) && status == 0;
    device_.port.Close();
    if (!done) {
        device_.op.Error(kWriteFailed);
        return false;
    }
    std::copy(sent.begin(), sent.end(), image_.AbLimit(n).bytes().begin());
    return true;
}

}  // namespace tulvo
