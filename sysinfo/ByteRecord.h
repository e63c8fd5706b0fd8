#pragma once
// Binary records exchanged with drivers: little-endian 32-bit words at byte offsets,
// built and read byte by byte so the layout never depends on the compiler.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace dx {

inline void PutWord(std::string& record, std::size_t offset, std::uint32_t value) {
  if (record.size() < offset + 4) record.resize(offset + 4, '\0');
  for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Nothing when the record is too short to hold the word.
inline std::optional<std::uint32_t> GetWord(const std::string& record, std::size_t offset) {
  if (offset > record.size() || record.size() - offset < 4) return std::nullopt;
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= std::uint32_t(static_cast<unsigned char>(record[offset + i])) << (8 * i);
  return value;
}

// A zero-filled record of size bytes.
inline std::string MakeRecord(std::size_t size) { return std::string(size, '\0'); }

}  // namespace dx
