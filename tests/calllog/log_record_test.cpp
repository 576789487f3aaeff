#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "calllog/log_record.h"
#include "model/cp1251.h"
#include "model/t_data.h"

namespace tulvo {
namespace {

using F = CallLogField;

void PutSubscriber(TData& image, int slot, std::uint32_t id, bool active, const char* name) {
    AbInfoRecord info = image.AbInfo(slot);
    info.SetFLAG(active ? AbInfoRecord::kActivation : 0);
    info.SetID(id);
    image.Name(slot).AbFNS = Utf8ToCp1251(name);
}

// A record with these start-time bytes: second, minute, hour, day, month, year offset.
std::array<std::uint8_t, 65> Record(std::uint8_t type, std::uint32_t out, std::uint32_t in,
                                    std::array<std::uint8_t, 6> when) {
    std::array<std::uint8_t, 65> r{};
    r[0] = 0x5A;
    r[1] = type;
    for (int i = 0; i < 4; ++i) {
        r[2 + i] = static_cast<std::uint8_t>(out >> (8 * i));
        r[6 + i] = static_cast<std::uint8_t>(in >> (8 * i));
    }
    const std::string tel = "1234567890123456789";  // fills its 19 bytes
    std::copy(tel.begin(), tel.end(), r.begin() + 10);
    r[29] = '7';
    r[48] = 0xFF;  // 65535 s
    r[49] = 0xFF;
    std::copy(when.begin(), when.end(), r.begin() + 50);
    r[56] = 0xEE;  // unused bytes
    return r;
}

TEST(LogRecord, SubscriberTexts) {
    auto image = std::make_unique<TData>();
    PutSubscriber(*image, 3, 123456, true, "");
    PutSubscriber(*image, 4, 777, true, "Петров");
    PutSubscriber(*image, 5, 777, true, "Сидоров");  // the lower slot wins
    PutSubscriber(*image, 17, 888, false, "");
    PutSubscriber(*image, 18, 999, false, "Иванов");
    image->AbInfo(20).SetFLAG(AbInfoRecord::kEmpty | AbInfoRecord::kActivation);
    image->AbInfo(20).SetID(4242);
    const struct {
        std::uint32_t id;
        const char* text;
    } cases[] = {
        {123456, "ID:0001E240"}, {777, "Петров"},       {888, "дэактивирован 17"},
        {999, "Иванов откл."},   {4242, "Неизвестный"}, {0xFFFFFFFF, "Неизвестный"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1251ToUtf8(SubscriberText(*image, c.id)), c.text) << c.id;
    }
    EXPECT_EQ(FindSubscriberById(*image, 777), 4);
    EXPECT_EQ(FindSubscriberById(*image, 4242), 0);
}

TEST(LogRecord, DecodesFieldsAndMendsOddDates) {
    auto image = std::make_unique<TData>();
    PutSubscriber(*image, 1, 123456, true, "Петров");
    const struct {
        std::uint8_t type;
        std::array<std::uint8_t, 6> when;  // s, m, h, day, month, year offset
        const char* typeText;
        CallDate date;
        CallTime time;
    } cases[] = {
        {0, {15, 30, 9, 8, 12, 26}, "Мобильный -> FXO", {2026, 12, 8}, CallTime::Of(9, 30, 15)},
        {11, {0, 0, 24, 0, 13, 26}, "Нет связи", {2026, 1, 1}, CallTime::Of(0, 0, 0)},
        {8, {60, 60, 23, 31, 4, 26}, "Неизвестный", {2026, 4, 30}, CallTime::Of(23, 0, 0)},
        {10, {1, 2, 3, 29, 2, 25}, "Неизвестный", {2025, 2, 28}, CallTime::Of(3, 2, 1)},
        {12, {1, 2, 3, 29, 2, 24}, "Неизвестный", {2024, 2, 29}, CallTime::Of(3, 2, 1)},
        {7, {0, 0, 0, 32, 0, 0xFF}, "FXS->Мобильный", {1999, 1, 1}, CallTime::Of(0, 0, 0)},
    };
    for (const auto& c : cases) {
        const auto record = Record(c.type, 123456, 42, c.when);
        const CallLogRow row = DecodeLogRecord(record, *image, "GATE0001");
        EXPECT_EQ(Cp1251ToUtf8(*row.Text(F::CallTypeStr)), c.typeText);
        EXPECT_EQ(row.Date(), c.date) << int(c.type);
        EXPECT_EQ(row.TimeOf(F::Time), c.time) << int(c.type);
        EXPECT_EQ(row.Int(F::CallType), c.type);
    }
    const CallLogRow row = DecodeLogRecord(Record(0, 123456, 42, {}), *image, "GATE0001");
    EXPECT_EQ(row.Int(F::Flag), 0x5A);
    EXPECT_EQ(row.Int(F::IdCodOutH), 1);
    EXPECT_EQ(row.Int(F::IdCodOutL), 57920);
    EXPECT_EQ(row.Int(F::IdCodInH), 0);
    EXPECT_EQ(row.Int(F::IdCodInL), 42);
    EXPECT_EQ(Cp1251ToUtf8(*row.Text(F::IdOutStr)), "Петров");
    EXPECT_EQ(row.Text(F::TelNum), std::optional<std::string_view>("1234567890123456789"));
    EXPECT_EQ(row.Text(F::InTelNum), std::optional<std::string_view>("7"));
    EXPECT_EQ(row.TimeOf(F::TimeConnect), CallTime::Of(18, 12, 15));
    EXPECT_EQ(row.Text(F::DeviceName), std::optional<std::string_view>("GATE0001"));
    EXPECT_TRUE(row.IsNull(F::N));
}

}  // namespace
}  // namespace tulvo
