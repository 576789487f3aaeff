#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tulvo {

// Well-formed firmware image files with made-up contents, for trying the
// update without real images (the demo, tests, benchmarks).

// A program image of `size` bytes (at least 16): a header of `type` with its
// CRC, then bytes that differ from block to block and within each block.
std::vector<std::uint8_t> SampleProgramImage(std::size_t size, std::uint16_t type = 1);

// One data record of a voice image: its data and the block address it goes to.
struct VoiceRecord {
    std::uint16_t address = 0;
    std::vector<std::uint8_t> data;  // its size is the header's data length
};

// The records, each behind its header with both CRCs, then (when endHeader)
// the end header.
std::vector<std::uint8_t> SampleVoiceImage(const std::vector<VoiceRecord>& records,
                                           bool endHeader = true);

// A voice image of `count` records of `length` bytes at consecutive addresses.
std::vector<std::uint8_t> SampleVoiceImage(int count, std::size_t length,
                                           std::uint16_t firstAddress = 0x0100);

}  // namespace tulvo
