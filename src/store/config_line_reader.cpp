#include "store/config_line_reader.h"

namespace tulvo {

namespace {
bool Dropped(char c) {
    return c == ' ' || c == '\r';
}
}  // namespace

bool ConfigLineReader::Next(std::string& line) {
    line.clear();
    bool any = false;
    for (std::string_view chunk = source_.Chunk(); !chunk.empty(); chunk = source_.Chunk()) {
        any = true;
        std::size_t i = 0;
        while (i < chunk.size()) {
            if (chunk[i] == '\n') {
                source_.Consume(i + 1);
                return true;
            }
            if (Dropped(chunk[i])) {
                ++i;
                continue;
            }
            if (line.size() == kMaxLine) {
                source_.Consume(i + 1);  // chunk[i] is the character that is lost
                return true;
            }
            // Take the run of ordinary characters at once, as far as the line has room.
            std::size_t end = i;
            const std::size_t room = i + (kMaxLine - line.size());
            while (end < chunk.size() && end < room && chunk[end] != '\n' && !Dropped(chunk[end])) {
                ++end;
            }
            line.append(chunk.data() + i, end - i);
            i = end;
        }
        source_.Consume(chunk.size());
    }
    return any;
}

}  // namespace tulvo
