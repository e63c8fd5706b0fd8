#pragma once
// SHA-256 (FIPS 180-4), for checking downloaded files against the digests the update
// information file gives.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace dx {

class Sha256 {
 public:
  Sha256();
  void Update(std::string_view data);
  std::array<std::uint8_t, 32> Finish();
  // Finish as 64 lower-case hexadecimal digits.
  std::string FinishHex();

 private:
  void Block(const std::uint8_t* block);
  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;
};

// The digest of data as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view data);
// Whether text is a digest as these write it: 64 lower-case hexadecimal digits.
bool IsSha256Hex(std::string_view text);

}  // namespace dx
