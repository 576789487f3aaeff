#include "calllog/call_log_report.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>

#include "model/cp1251.h"
#include "model/operator.h"
#include "store/atomic_file.h"
#include "store/store_file_checks.h"

namespace tulvo {
namespace {

void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
    out += text;
    if (text.size() < width) {
        out.append(width - text.size(), ' ');
    }
}

// Rows are written through a pointer into room made beforehand. No row
// needs more than kMaxRowBytes: the widest texts (45 characters), numbers of
// 11 characters, times of 19 and dates of 14, the tabs and the line break.
constexpr std::size_t kMaxRowBytes = 320;

char* PutPadded(char* p, std::string_view text, std::size_t width) {
    p = std::copy(text.begin(), text.end(), p);
    return text.size() < width ? std::fill_n(p, width - text.size(), ' ') : p;
}

char* PutNumber(char* p, int value, int minDigits) {
    std::array<char, 16> digits{};
    const auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    (void)ec;
    for (auto length = static_cast<int>(end - digits.data()); length < minDigits; ++length) {
        *p++ = '0';
    }
    return std::copy(digits.data(), end, p);
}

// A cell of width characters or more; put writes its value at the pointer
// it is given and returns the end.
template <typename Put>
char* PutCell(char* p, std::size_t width, Put put) {
    char* const start = p;
    p = put(p);
    const auto written = static_cast<std::size_t>(p - start);
    return written < width ? std::fill_n(p, width - written, ' ') : p;
}

char* PutDate(char* p, const std::optional<CallDate>& date) {
    if (date) {
        p = PutNumber(p, date->day, 2);
        *p++ = '.';
        p = PutNumber(p, date->month, 2);
        *p++ = '.';
        p = PutNumber(p, date->year, 4);
    }
    return p;
}

char* PutTime(char* p, const std::optional<CallTime>& time) {
    if (time) {
        p = PutNumber(p, time->Hours(), 1);
        *p++ = ':';
        p = PutNumber(p, time->Minutes(), 2);
        *p++ = ':';
        p = PutNumber(p, time->Seconds(), 2);
    }
    return p;
}

std::string_view TextOf(const CallLogRow& row, CallLogField field) {
    return row.Text(field).value_or(std::string_view());
}

struct Column {
    const char* caption;
    std::size_t width;
};
constexpr std::array<Column, 10> kColumns{{
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

// The report goes to its file in pieces of about this size.
constexpr std::size_t kPieceBytes = 1 << 20;

char* PutRow(char* p, const CallLogRow& row) {
    *p++ = '\r';
    *p++ = '\n';
    p = PutCell(p, kColumns[0].width, [&row](char* q) {
        const auto n = row.Int(CallLogField::N);
        return n ? PutNumber(q, *n, 1) : q;
    });
    const auto text = [&](std::size_t column, CallLogField field) {
        *p++ = '\t';
        p = PutPadded(p, TextOf(row, field), kColumns[column].width);
    };
    const auto time = [&](std::size_t column, CallLogField field) {
        *p++ = '\t';
        p = PutCell(p, kColumns[column].width,
                    [&row, field](char* q) { return PutTime(q, row.TimeOf(field)); });
    };
    text(1, CallLogField::CallTypeStr);
    text(2, CallLogField::IdOutStr);
    text(3, CallLogField::InTelNum);
    text(4, CallLogField::IdInStr);
    text(5, CallLogField::TelNum);
    time(6, CallLogField::TimeConnect);
    *p++ = '\t';
    p = PutCell(p, kColumns[7].width, [&row](char* q) { return PutDate(q, row.Date()); });
    time(8, CallLogField::Time);
    text(9, CallLogField::DeviceName);
    return p;
}

// The report on its way to its file: the header, then rows, written in
// pieces of about kPieceBytes while the next ones are made.
class ReportWriter {
  public:
    ReportWriter(const std::string& path, Operator& op)
        : path_(path),
          op_(op),
          writer_(path),
          piece_(std::make_unique<char[]>(kPieceBytes + kMaxRowBytes)),
          p_(piece_.get()) {}

    bool Open() {
        result_ = writer_.Open();
        std::string header;
        AppendReportHeader(header);
        return result_ && Put(header);
    }
    // False when writing failed.
    bool Row(const CallLogRow& row) {
        p_ = PutRow(p_, row);
        return Used() < kPieceBytes || Flush();
    }
    // Writes the rest and replaces the file. On failure the operator is told.
    bool Commit() {
        if (result_ && Flush()) {
            result_ = writer_.Commit();
        }
        if (!result_) {
            op_.ErrorWithDetail("Невозможно создать файл отчёта " + path_, result_.error);
        }
        return static_cast<bool>(result_);
    }

  private:
    std::size_t Used() const { return static_cast<std::size_t>(p_ - piece_.get()); }
    bool Put(std::string_view bytes) {
        for (; !bytes.empty() && result_;) {
            const std::size_t count = std::min(bytes.size(), kPieceBytes - Used());
            p_ = std::copy_n(bytes.begin(), count, p_);
            bytes.remove_prefix(count);
            if (Used() >= kPieceBytes) {
                Flush();
            }
        }
        return static_cast<bool>(result_);
    }
    bool Flush() {
        result_ = writer_.Write({piece_.get(), Used()});
        p_ = piece_.get();
        return static_cast<bool>(result_);
    }

    const std::string& path_;
    Operator& op_;
    AtomicFileWriter writer_;
    AtomicWriteResult result_;
    std::unique_ptr<char[]> piece_;
    char* p_;
};

// The storage file is the only copy of the calls erased in the gateway: a
// report never replaces it, whatever name or link leads to it.
bool WouldReplaceStorage(const std::string& path, const std::string& storagePath, Operator& op) {
    if (!store_file_checks::SameFile(path, storagePath)) {
        return false;
    }
    op.ErrorWithDetail("Невозможно создать файл отчёта " + path,
                       "это файл базы звонков " + storagePath);
    return true;
}

}  // namespace

void AppendReportHeader(std::string& out) {
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        if (i > 0) {
            out += '\t';
        }
        AppendPadded(out, Utf8ToCp1251(kColumns[i].caption), kColumns[i].width);
    }
}

void AppendReportRow(std::string& out, const CallLogRow& row) {
    const std::size_t at = out.size();
    out.resize(at + kMaxRowBytes);
    const char* end = PutRow(out.data() + at, row);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

std::string BuildCallLogReport(const CallLogTable& table,
                               const std::function<bool(const CallLogRow&)>& shown) {
    std::string out;
    out.reserve(256 + table.Size() * 170);
    AppendReportHeader(out);
    for (const CallLogRow& row : table.Rows()) {
        if (!shown || shown(row)) {
            AppendReportRow(out, row);
        }
    }
    return out;
}

bool WriteCallLogReport(const std::string& path, const CallLogTable& table,
                        const std::function<bool(const CallLogRow&)>& shown,
                        const std::string& storagePath, Operator& op) {
    if (WouldReplaceStorage(path, storagePath, op)) {
        return false;
    }
    ReportWriter report(path, op);
    bool written = report.Open();
    for (const CallLogRow& row : table.Rows()) {
        if (!written) {
            break;
        }
        if (!shown || shown(row)) {
            written = report.Row(row);
        }
    }
    return report.Commit();
}

bool WriteCallLogReport(const std::string& path, CallLogStorage& storage,
                        const std::function<bool(const CallLogRow&)>& shown, Operator& op) {
    if (WouldReplaceStorage(path, storage.Path(), op)) {
        return false;
    }
    ReportWriter report(path, op);
    if (report.Open()) {
        const bool read = storage.ForEachRow(
            [&](const CallLogRow& row) { return (shown && !shown(row)) || report.Row(row); }, op);
        if (!read) {
            return false;  // the storage said why; the writer leaves no file
        }
    }
    return report.Commit();
}

}  // namespace tulvo
