#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <istream>
#include <optional>
#include <span>
#include <string>

#include "sync/firmware_image_reader.h"
#include "sync/firmware_progress.h"
#include "sync/transfer_progress.h"

namespace tulvo {

class Operator;
class TPortMost;

// One firmware image file, open for reading, with its size. Its stream
// throws read errors (badbit), so that they are told with their reason.
struct FirmwareFile {
    std::string path;
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
// asked for through either progress object ends a routine before its next
// block, silently, as a failure. The firmware progress says which image is
// going out and how far it has come.
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

    FirmwareUpload(TPortMost& port, Operator& op, TransferProgress& progress,
                   FirmwareProgress& firmware);

    // Blocks a program image file of `size` bytes is sent in.
    static int ProgramBlocks(std::uintmax_t size);
    // Reads a voice image through, checking every record and the end
    // header, and goes back to its start: the number of records, or nothing
    // when the image is damaged or cannot be read.
    static std::optional<int> VoiceRecords(std::istream& file);

    // The program image: its 16-byte header checked, then every 528-byte
    // block of the file in order from address 3336. True (after "Файл
    // TProgram записан") when the whole file went out. A read error stops
    // it with the file's name (`path`) and the system's reason.
    bool SendProgram(std::istream& file, std::uintmax_t size, const std::string& path);
    // The voice image: checked whole first (VoiceRecords), then each
    // record's data sent to its header's address. True (after "Файл TVoice
    // записан") when the end header was reached.
    bool SendVoice(std::istream& file);
    // Closes a complete program update; the reply is not examined.
    void EndUpdate();

  private:
    // One block to its address, repeated while refused; true when done.
    bool SendBlock(std::uint16_t address, std::span<std::uint8_t> block);
    bool StopRequested() const;
    void Sent(int blocks);

    TPortMost& port_;
    Operator& op_;
    TransferProgress& progress_;
    FirmwareProgress& firmware_;
};

}  // namespace tulvo
