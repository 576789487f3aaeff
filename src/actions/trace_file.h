#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "link/link_trace.h"

namespace tulvo {

// The traffic log of one `tulvo` run, written line by line to a file as the
// link goes: each line reaches the file before the next request goes out,
// so a run that is killed keeps its log up to that moment. The file is
// appended to, so an earlier log (or a file named by mistake) is never cut
// short.
class TraceFile : public LinkTrace {
  public:
    // Opens (creates) the file for appending; null with the reason in words
    // fit for an operator when it cannot be opened.
    static std::unique_ptr<TraceFile> Open(const std::string& path, std::string& why);
    ~TraceFile() override;
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    void Record(const TraceEvent& event) override;
    // Writes one line of its own (what run the lines after it belong to).
    void Note(std::string_view text);

    // Why a line could not be written (the first failure), or empty.
    const std::string& WriteError() const { return writeError_; }
    const std::string& Path() const { return path_; }

  private:
    TraceFile(std::string path, int fd);
    void WriteLine(std::string line);

    std::string path_;
    int fd_ = -1;
    std::string writeError_;
};

}  // namespace tulvo
