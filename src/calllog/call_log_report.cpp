#include "calllog/call_log_report.h"

#include <array>
#include <charconv>

#include "model/cp1251.h"
#include "model/operator.h"
#include "store/atomic_file.h"

namespace tulvo {
namespace {

void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
    out += text;
    if (text.size() < width) {
        out.append(width - text.size(), ' ');
    }
}

void AppendNumber(std::string& out, int value, int minDigits) {
    std::array<char, 16> digits{};
    auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    (void)ec;
    for (auto length = static_cast<int>(end - digits.data()); length < minDigits; ++length) {
        out += '0';
    }
    out.append(digits.data(), end);
}

std::string DateText(const std::optional<CallDate>& date) {
    std::string out;
    if (date) {
        AppendNumber(out, date->day, 2);
        out += '.';
        AppendNumber(out, date->month, 2);
        out += '.';
        AppendNumber(out, date->year, 4);
    }
    return out;
}

std::string TimeText(const std::optional<CallTime>& time) {
    std::string out;
    if (time) {
        AppendNumber(out, time->Hours(), 1);
        out += ':';
        AppendNumber(out, time->Minutes(), 2);
        out += ':';
        AppendNumber(out, time->Seconds(), 2);
    }
    return out;
}

std::string_view TextOf(const CallLogRow& row, CallLogField field) {
    return row.Text(field).value_or(std::string_view());
}

}  // namespace

std::string BuildCallLogReport(const CallLogTable& table,
                               const std::function<bool(const CallLogRow&)>& shown) {
    struct Column {
        const char* caption;
        std::size_t width;
    };
    static constexpr std::array<Column, 10> kColumns{{
        {"№", 6},
        {"Тип звонка", 19},
        {"Исходящий", 10},
        {"Номер звонящего", 19},
        {"Входящий", 10},
        {"Набранный номер", 19},
        {"Время соединения", 18},
        {"Дата", 8},
        {"Время", 8},
        {"Назв. у-ва", 8},
    }};
    std::string out;
    out.reserve(256 + table.Size() * 170);
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        if (i > 0) {
            out += '\t';
        }
        AppendPadded(out, Utf8ToCp1251(kColumns[i].caption), kColumns[i].width);
    }
    for (const CallLogRow& row : table.Rows()) {
        if (shown && !shown(row)) {
            continue;
        }
        out += "\r\n";
        std::string n;
        if (const auto value = row.Int(CallLogField::N)) {
            AppendNumber(n, *value, 1);
        }
        AppendPadded(out, n, 6);
        const auto cell = [&out](std::string_view text, std::size_t width) {
            out += '\t';
            AppendPadded(out, text, width);
        };
        cell(TextOf(row, CallLogField::CallTypeStr), 19);
        cell(TextOf(row, CallLogField::IdOutStr), 10);
        cell(TextOf(row, CallLogField::InTelNum), 19);
        cell(TextOf(row, CallLogField::IdInStr), 10);
        cell(TextOf(row, CallLogField::TelNum), 19);
        cell(TimeText(row.TimeOf(CallLogField::TimeConnect)), 18);
        cell(DateText(row.Date()), 8);
        cell(TimeText(row.TimeOf(CallLogField::Time)), 8);
        cell(TextOf(row, CallLogField::DeviceName), 8);
    }
    return out;
}

bool WriteCallLogReport(const std::string& path, const CallLogTable& table,
                        const std::function<bool(const CallLogRow&)>& shown, Operator& op) {
    const AtomicWriteResult result = WriteFileAtomically(path, BuildCallLogReport(table, shown));
    if (!result) {
        op.ErrorWithDetail("Невозможно создать файл отчёта " + path, result.error);
        return false;
    }
    return true;
}

}  // namespace tulvo
