#include "actions/trace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "link/trace_line.h"
#include "store/system_reason.h"

namespace tulvo {

std::unique_ptr<TraceFile> TraceFile::Open(const std::string& path, std::string& why) {
    // Not blocking: a FIFO that nobody reads is refused instead of waited for.
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) {
        why = errno == ENXIO ? "этот канал (FIFO) никто не читает" : SystemReason(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        why = SystemReason(EISDIR);
        return nullptr;
    }
    // Lines are then written whole, however slow the reader of a pipe.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::unique_ptr<TraceFile>(new TraceFile(path, fd));
}

TraceFile::TraceFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

TraceFile::~TraceFile() {
    ::close(fd_);
}

void TraceFile::Record(const TraceEvent& event) {
    WriteLine(FormatTraceLine(event));
}

void TraceFile::Note(std::string_view text) {
    WriteLine(std::string(text));
}

// One write per line, straight to the file: nothing waits in a buffer of
// this process when it is killed.
void TraceFile::WriteLine(std::string line) {
    line += '\n';
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t written = ::write(fd_, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (writeError_.empty()) {
                writeError_ = SystemReason(written < 0 ? errno : ENOSPC);
            }
            return;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace tulvo
