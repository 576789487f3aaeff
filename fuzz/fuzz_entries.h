#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tulvo::fuzz {

// Each entry reads one input the way the program reads an outside file and
// checks what must hold whatever the input. The text of the first broken
// rule is returned; an empty text means all held. The libFuzzer targets abort
// on a non-empty text; the corpus replay test expects it empty.

// Configuration file: read into a fresh image, written back, read again into
// another fresh image and written again; both writings must be equal and
// every line must fit the reader's 255 characters.
std::string ConfigFileInput(const std::uint8_t* data, std::size_t size);

// Registry file: whatever was read is written in the format it was read in,
// and the writing reads back in that format to the same keys and values.
std::string RegeditInput(const std::uint8_t* data, std::size_t size);

// Bytes as they come off the line: a frame decoder fed one byte at a time
// never keeps more than its limit, and every body it completes before the
// limit encodes to a frame that decodes to the same body.
std::string FrameInput(const std::uint8_t* data, std::size_t size);

// Call-log storage file: whatever parses is formatted, parsed again and
// formatted again; both formattings must be equal.
std::string CallLogFileInput(const std::uint8_t* data, std::size_t size);

// A fault rule of `tulvo simulate --fault`: a rule that parses has an index
// range that is not upside down, and a refused one says why.
std::string FaultRuleInput(const std::uint8_t* data, std::size_t size);

// Bytes off the line as the link takes them: a real port on a pseudo-terminal
// makes one transaction (first byte: its shape, second: its attempts) while
// the far end answers each request with the next chunk of the input (a 16-bit
// little-endian length, then that many bytes, sent as they are). A transaction that fails
// leaves the buffer untouched; one that succeeds copies only a whole reply,
// with a sound payload checksum, and nothing beyond it.
std::string ReplyInput(const std::uint8_t* data, std::size_t size);

// A firmware image file (first byte: program or voice image) read block by
// block as the update reads it: every block holds the file's own bytes, the
// program's blocks go to consecutive addresses, and reading ends after at
// most one step per block the file can hold.
std::string FirmwareImageInput(const std::uint8_t* data, std::size_t size);

// A network port's name (--port, TULVO_EXTRA_PORTS, the window options): an
// address that parses is written back as text that parses to the same
// address and holds none of the separators of the lists it is kept in; a
// refused one says why.
std::string NetworkAddressInput(const std::uint8_t* data, std::size_t size);

using Entry = std::string (*)(const std::uint8_t* data, std::size_t size);

// The entry of a target named in fuzz/targets; nullptr for any other name.
Entry EntryFor(std::string_view target);

}  // namespace tulvo::fuzz
