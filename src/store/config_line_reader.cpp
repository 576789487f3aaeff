#include "store/config_line_reader.h"

namespace tulvo {

bool ConfigLineReader::Next(std::string& line) {
    line.clear();
    bool any = false;
    char c;
    while (source_.Get(c)) {
        any = true;
        if (c == '\n') {
            return true;
        }
        if (c == ' ' || c == '\r') {
            continue;
        }
        if (line.size() == kMaxLine) {
            return true;  // c is the character that is lost
        }
        line += c;
    }
    return any;
}

}  // namespace tulvo
