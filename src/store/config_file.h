#pragma once

#include <string>
#include <string_view>

#include "model/operator.h"
#include "model/t_data.h"
#include "store/byte_source.h"

namespace tulvo {

// The configuration file: line-oriented Windows-1251 text of comma-separated
// key:value tokens, one line per settings record, per black/white list entry in
// use and per subscriber in use, each ending in CR LF.

// The file's text for image. Every line fits the reader's 255 characters:
// a subscriber name that would not fit is shortened.
std::string WriteConfigText(const TData& image);

// Writes the file (replacing it atomically). When it cannot be written the
// operator is told "Невозможно сохранить файл <path>!" and false is returned.
bool SaveConfigFile(const TData& image, const std::string& path, Operator& op);

struct ConfigLoadResult {
    bool opened = false;   // the file could be opened
    int messages = 0;      // error messages shown for refused values
    bool stopped = false;  // a record check refused a value and ended the load
};

// Resets the subscribers and the black/white list elements 0 to 185, then
// reads the file line by line into image. Refused values are reported through
// op, one message each, and reading goes on; a value refused by a record's own
// check ends the load with that record's message.
ConfigLoadResult LoadConfigFile(TData& image, const std::string& path, Operator& op);

// The reading part of LoadConfigFile over any bytes, without the reset.
ConfigLoadResult ReadConfig(TData& image, ByteSource& source, Operator& op);

}  // namespace tulvo
