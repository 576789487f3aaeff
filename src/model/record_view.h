#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "link/byte_io.h"
#include "link/crc8.h"

namespace tulvo {

// The byte type of a record view that may store.
template <typename Byte>
concept MutableByte = !std::is_const_v<Byte>;

// Position of a field inside a record.
struct Field {
    std::size_t offset;
    std::size_t width;
};

// A non-owning view of one fixed-size record of the configuration image.
// Byte is std::uint8_t for a view that may store and const std::uint8_t for a
// read-only one; stores are only offered by the first. The last byte of every
// record is its Crc8 over the bytes before it.
template <typename Byte, std::size_t N>
class RecordView {
  public:
    static constexpr std::size_t kSize = N;
    static constexpr bool kMutable = !std::is_const_v<Byte>;
    using Bytes = std::span<Byte, N>;
    using Array = std::array<std::uint8_t, N>;

    explicit RecordView(Bytes bytes) : bytes_(bytes) {}

    Bytes bytes() const { return bytes_; }

    // Crc8 over the whole record, checksum byte included, is 0.
    bool ChecksumValid() const { return Crc8(bytes_.data(), N) == 0; }

    // The record with its checksum byte recomputed; the record itself is not
    // touched.
    Array SealedCopy() const {
        Array copy;
        std::copy(bytes_.begin(), bytes_.end(), copy.begin());
        copy[N - 1] = Crc8(copy.data(), N - 1);
        return copy;
    }

    void UpdateChecksum() requires MutableByte<Byte> { Seal(); }

    // Copies a record from outside (registry, file of raw bytes) into this one
    // only when it has this record's size and a valid checksum.
    bool CopyIn(std::span<const std::uint8_t> from) requires MutableByte<Byte> {
        if (from.size() != N || Crc8(from.data(), N) != 0) {
            return false;
        }
        std::copy(from.begin(), from.end(), bytes_.begin());
        return true;
    }

  protected:
    std::span<const std::uint8_t> ro() const { return {bytes_.data(), N}; }
    // The storing helpers below are reached only from members constrained to
    // writable views. They carry no constraint of their own because some
    // compilers (clang 14) instantiate every member of an explicitly
    // instantiated read-only record, constrained or not.
    std::span<std::uint8_t> rw() { return {const_cast<std::uint8_t*>(bytes_.data()), N}; }
    void Seal() { rw()[N - 1] = Crc8(bytes_.data(), N - 1); }

    std::uint8_t GetBits(std::size_t offset, std::uint8_t mask) const {
        return static_cast<std::uint8_t>((ReadU8(ro(), offset) & mask) >> std::countr_zero(mask));
    }
    // Stores value into the bits of mask, keeping the other bits of the byte.
    void SetBits(std::size_t offset, std::uint8_t mask, unsigned value) {
        const unsigned shifted = (value << std::countr_zero(mask)) & mask;
        const unsigned kept = ReadU8(ro(), offset) & static_cast<std::uint8_t>(~mask);
        WriteU8(rw(), offset, static_cast<std::uint8_t>(kept | shifted));
    }

    // Bit `index` (0 the lowest) of the little-endian bit field starting at
    // offset.
    bool Bit(std::size_t offset, int index) const {
        return GetBits(offset + static_cast<std::size_t>(index / 8), BitMask(index)) != 0;
    }
    void SetBit(std::size_t offset, int index, bool on) {
        SetBits(offset + static_cast<std::size_t>(index / 8), BitMask(index), on ? 1U : 0U);
    }

    // Text of at most maxChars bytes from the field's start, ending at the
    // first zero byte.
    std::string ReadText(Field field, std::size_t maxChars) const {
        byte_io::CheckRange(N, field.offset, std::min(field.width, maxChars));
        const auto* first = reinterpret_cast<const char*>(bytes_.data()) + field.offset;
        const std::size_t limit = std::min(field.width, maxChars);
        return std::string(first, std::find(first, first + limit, '\0'));
    }
    // Stores the first maxChars bytes of text and zero-fills the rest of the
    // field.
    void StoreText(Field field, std::string_view text, std::size_t maxChars) {
        byte_io::CheckRange(N, field.offset, field.width);
        const std::size_t count = std::min({text.size(), maxChars, field.width});
        auto out = rw().begin() + static_cast<std::ptrdiff_t>(field.offset);
        std::copy_n(reinterpret_cast<const std::uint8_t*>(text.data()), count, out);
        std::fill(out + static_cast<std::ptrdiff_t>(count),
                  out + static_cast<std::ptrdiff_t>(field.width), std::uint8_t{0});
    }

  private:
    static std::uint8_t BitMask(int index) { return static_cast<std::uint8_t>(1U << (index % 8)); }

    Bytes bytes_;
};

}  // namespace tulvo
