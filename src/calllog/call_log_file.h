#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "calllog/call_log_row.h"
#include "calllog/call_log_table.h"
#include "store/atomic_file.h"

namespace tulvo {

// The storage file of the call-log table ("DataBilling.dbf"): tab-separated
// Windows-1251 text with CR LF line ends, a definition section naming the 16
// fields, a header line and one line per row. Every item is quoted with a
// space on each side and its inner spaces doubled; a null value is nothing.
namespace call_log_file {

inline constexpr const char* kFileName = "DataBilling.dbf";

// The whole file for these rows, in order: the table's rows, then `more`.
struct FormattedFile {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    std::string_view View() const { return {bytes.get(), size}; }
};
FormattedFile FormatFile(std::span<const CallLogRow> rows, std::span<const CallLogRow> more = {});
std::string Format(std::span<const CallLogRow> rows, std::span<const CallLogRow> more = {});
// Writes the same bytes as FormatFile to writer, in pieces as they are
// made, so the whole file is never held in memory.
AtomicWriteResult WriteFile(AtomicFileWriter& writer, std::span<const CallLogRow> rows,
                            std::span<const CallLogRow> more = {});
// The row lines alone, as they follow the header.
std::string FormatRows(std::span<const CallLogRow> rows);

// Rebuilds table from a file's bytes. False with error's text when the bytes
// are no call-log file; the table then holds the rows read before the fault.
bool Parse(std::string_view bytes, CallLogTable& table, std::string& error);

// Reads a file's bytes as they arrive, in pieces of any size, and hands each
// row over as soon as its line is complete; no row is kept. Lines are
// separated by any run of CR, LF and zero bytes.
class RowStream {
  public:
    explicit RowStream(std::function<void(const CallLogRow&)> row);
    ~RowStream();
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    // False with error's text when the bytes so far are no call-log file;
    // the rows before the fault have been handed over.
    bool Feed(std::string_view bytes, std::string& error);
    // After the last piece: the last line, and whether the file was whole.
    bool Finish(std::string& error);

  private:
    class Lines;
    bool Line(std::string_view line, std::string& error);

    std::function<void(const CallLogRow&)> row_;
    std::unique_ptr<Lines> lines_;
    std::string partial_;  // the start of a line that the next piece ends
};

// A text value as the file holds it, unescaped: %% is %, %c CR, %n LF and %0
// a zero byte.
std::string UnescapeText(std::string_view text);

}  // namespace call_log_file

}  // namespace tulvo
