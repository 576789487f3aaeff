#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <istream>
#include <optional>
#include <span>
#include <string>

#include "sync/firmware_image_reader.h"
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
// The blocks come from a FirmwareImageReader, whose buffer is deliberately
// not cleared between blocks (see there).
//
// Every problem is told to the operator before the routine returns. A stop
// asked for through the progress object ends a routine before its next
// block, silently, as a failure.
class FirmwareUpload {
  public:
    static constexpr std::size_t kBlockData = FirmwareImageReader::kBlockData;
    static constexpr std::size_t kBlockSize = FirmwareImageReader::kBlockSize;
    static constexpr std::uint16_t kProgramFirstAddress = FirmwareImageReader::kProgramFirstAddress;
    // Program image files must be smaller than this.
    static constexpr std::uintmax_t kProgramSizeLimit = 0x40000;
    static constexpr std::size_t kHeaderSize = FirmwareImageReader::kHeaderSize;
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
    // One block to its address, repeated while refused; true when done.
    bool SendBlock(std::uint16_t address, std::span<std::uint8_t> block);

    TPortMost& port_;
    Operator& op_;
    TransferProgress& progress_;
};

}  // namespace tulvo
