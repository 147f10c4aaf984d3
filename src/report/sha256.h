#pragma once
// SHA-256 (FIPS 180-4), so that a report can name the files it belongs to by the same strings
// that sha256sum prints.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zmbr {

class Sha256 {
  public:
    Sha256();
    void add(std::string_view bytes);
    // The digest of everything added; the object is spent afterwards.
    std::array<std::uint8_t, 32> finish();

  private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> h_;
    std::array<std::uint8_t, 64> block_{};
    std::size_t used_ = 0;     // bytes waiting in block_
    std::uint64_t length_ = 0; // bytes added in all
};

// The digest of the bytes as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view bytes);
// A digest as 64 lower-case hexadecimal digits.
std::string hexOf(const std::array<std::uint8_t, 32>& digest);

} // namespace zmbr
