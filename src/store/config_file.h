#pragma once

#include <cstdint>
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

// No configuration file comes near this size; a larger input is refused unread.
inline constexpr std::uint64_t kMaxConfigFileBytes = 16u << 20;

struct ConfigLoadResult {
    bool opened = false;   // the file could be opened
    int messages = 0;      // error messages shown
    bool stopped = false;  // a record check refused a value and ended the load
    bool refused = false;  // the file was not loaded at all (see LoadConfigFile)
    int lines = 0;         // lines that selected a record to read into

    // The image took the file's contents.
    bool Loaded() const { return !refused && !stopped; }
};

// Loads the file all or nothing: it is read into a copy of image whose
// subscribers and black/white list elements 0 to 185 are reset first, and the
// copy replaces the image only when reading ended normally. Refused values are
// reported through op, one message each, and reading goes on; a value refused
// by a record's own check ends the load with that record's message and leaves
// image as it was. A file that cannot be opened, is larger than
// kMaxConfigFileBytes or holds no configuration line at all is refused with one
// message and changes nothing.
ConfigLoadResult LoadConfigFile(TData& image, const std::string& path, Operator& op);

// The reading part of LoadConfigFile over any bytes, straight into image and
// without the reset.
ConfigLoadResult ReadConfig(TData& image, ByteSource& source, Operator& op);

// Copies every record and name of from into to.
void CopyImage(const TData& from, TData& to);

}  // namespace tulvo
