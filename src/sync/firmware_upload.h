#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <istream>
#include <optional>
#include <string>

#include "sync/transfer_progress.h"

namespace tulvo {

class Operator;
class TPortMost;

// One firmware image file, open for reading, with its size.
struct FirmwareFile {
    std::ifstream stream;
    std::uintmax_t size = 0;

    // Nothing when the path is not a regular file that can be read.
    static std::optional<FirmwareFile> Open(const std::string& path);
};

// Sends firmware images to the gateway's bootloader block by block over a
// port the caller has opened (and closes). Each block is one
// WriteFirmwareBlock of the 529-byte block buffer: 528 bytes of the image
// and the checksum byte that the link puts in the last place.
//
// The block buffer is deliberately not cleared between blocks: a short last
// program block, or a voice record shorter than a block, travels with the
// rest of the buffer as the previous read left it (the earlier block's tail,
// or the record's own header). The bootloader takes only the bytes it needs.
//
// Every problem is told to the operator before the routine returns. A stop
// asked for through the progress object ends a routine before its next
// block, silently, as a failure.
class FirmwareUpload {
  public:
    static constexpr std::size_t kBlockData = 528;
    static constexpr std::size_t kBlockSize = kBlockData + 1;
    static constexpr std::uint16_t kProgramFirstAddress = 3336;
    // Program image files must be smaller than this.
    static constexpr std::uintmax_t kProgramSizeLimit = 0x40000;
    static constexpr std::size_t kHeaderSize = 16;
    // A refused block is sent this many times in all before giving up.
    static constexpr int kBlockSends = 4;
    // The bootloader needs a pause before this program block (0-based).
    static constexpr int kPausedProgramBlock = 96;

    FirmwareUpload(TPortMost& port, Operator& op, TransferProgress& progress);

    // The program image: its 16-byte header checked, then every 528-byte
    // block of the file in order from address 3336. True (after "Файл
    // TProgram записан") when the whole file went out.
    bool SendProgram(std::istream& file, std::uintmax_t size);
    // The voice image: each record's header and data checked, its data sent
    // to the header's address, up to the end header. True (after "Файл
    // TVoice записан") when the end header was reached.
    bool SendVoice(std::istream& file, std::uintmax_t size);
    // Closes a complete program update; the reply is not examined.
    void EndUpdate();

  private:
    // Reads up to count bytes into the start of the buffer; how many came.
    std::size_t Read(std::istream& file, std::size_t count);
    // One block to its address, repeated while refused; true when done.
    bool SendBlock(std::uint16_t address);
    bool VoiceReadError();

    TPortMost& port_;
    Operator& op_;
    TransferProgress& progress_;
    std::array<std::uint8_t, kBlockSize> buffer_{};
};

}  // namespace tulvo
