#pragma once

#include <string>

namespace tulvo::sim {

// A pseudo-terminal pair. The master side is kept by whoever plays the
// gateway; the slave device path is what a serial client opens. Nothing here
// keeps the slave side open, so a client finds no other holder of its port;
// while no client has it open, the master reads EIO and polls as hung up.
class PseudoTerminal {
  public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens a new master in raw mode. On failure returns false and sets Error().
    bool Open();
    void Close();

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    const std::string& Error() const { return error_; }

  private:
    int master_ = -1;
    std::string slavePath_;
    std::string error_;
};

}  // namespace tulvo::sim
