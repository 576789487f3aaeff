#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <span>
#include <string>

namespace tulvo {

// Reads a firmware image file block by block into one 529-byte block buffer,
// checking what the file says about itself: a program image's 16-byte header
// (type 1 and its CRC), or each voice record's header (type 2, its CRC, a data
// length that fits a block) and the record's data CRC.
//
// A read error is never taken for the end of the file: a stream that throws
// its failures (badbit in exceptions()) gives the system's reason, any other
// a failure without one.
//
// The buffer is deliberately not cleared between blocks: a short last program
// block, or a voice record shorter than a block, keeps the rest of the buffer
// as the previous read left it. The bootloader takes only the bytes it needs.
class FirmwareImageReader {
  public:
    static constexpr std::size_t kBlockData = 528;
    static constexpr std::size_t kBlockSize = kBlockData + 1;
    static constexpr std::size_t kHeaderSize = 16;
    static constexpr std::uint16_t kProgramFirstAddress = 3336;

    enum class Kind { Program, Voice };
    enum class Step {
        Block,   // Buffer() holds the next block, to be sent to Address()
        End,     // the image is complete
        Bad,     // the program header or a voice record is damaged or cut short
        Failed,  // the file could not be read: ReadError() says why
    };

    FirmwareImageReader(Kind kind, std::istream& file);

    Step Next();
    std::span<std::uint8_t> Buffer() { return buffer_; }
    std::uint16_t Address() const { return address_; }
    // 0-based number of the block the last Next delivered.
    int BlockNumber() const { return blocks_ - 1; }
    // The system's reason for the last Failed step (may be empty).
    const std::string& ReadError() const { return readError_; }

  private:
    Step NextProgramBlock();
    Step NextVoiceRecord();
    // Reads up to count bytes (at most a block) into the start of the
    // buffer; fewer only at the end of the file or when reading failed.
    std::size_t Read(std::size_t count);
    bool ReadFailed() const { return failed_; }

    Kind kind_;
    std::istream& file_;
    std::array<std::uint8_t, kBlockSize> buffer_{};
    std::uint16_t address_ = 0;
    int blocks_ = 0;
    bool lastBlockShort_ = false;
    bool failed_ = false;
    std::string readError_;
};

}  // namespace tulvo
