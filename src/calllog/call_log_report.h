#pragma once

#include <functional>
#include <string>

#include "calllog/call_log_storage.h"
#include "calllog/call_log_table.h"

namespace tulvo {

class Operator;

// The report of "Экспорт в Excel": a header line and one line per shown row,
// tab-separated columns padded with spaces to fixed widths (never cut),
// Windows-1251 with CR LF between lines and none after the last. Dates and
// times in the Russian short formats (08.12.2026, 9:30:15).
std::string BuildCallLogReport(const CallLogTable& table,
                               const std::function<bool(const CallLogRow&)>& shown);

// The header line, and the line of one row (beginning with its line break).
void AppendReportHeader(std::string& out);
void AppendReportRow(std::string& out, const CallLogRow& row);

// Writes the report to path atomically. On failure "Невозможно создать файл отчёта
// <path>" with the reason, and false; an earlier file stays as it was. A path
// that leads to the storage file (storagePath) is refused.
bool WriteCallLogReport(const std::string& path, const CallLogTable& table,
                        const std::function<bool(const CallLogRow&)>& shown,
                        const std::string& storagePath, Operator& op);

// The same report of what the storage file holds, written as the file is
// read, row by row: the table is never loaded, so a file of any size needs
// little memory. The storage file is only read. When it cannot be read the
// storage's message is shown and nothing replaces an earlier report.
bool WriteCallLogReport(const std::string& path, CallLogStorage& storage,
                        const std::function<bool(const CallLogRow&)>& shown, Operator& op);

}  // namespace tulvo
