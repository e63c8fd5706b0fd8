#pragma once
// The shared memory that carries one run's frame stamps from the capture library inside
// the game to Dextrel. Both a 32-bit and a 64-bit library write it, so every field has a
// fixed width and place.
#include <cstddef>
#include <cstdint>

namespace dx::platform {

// Dextrel sets it for the game only; its value is the section's name.
inline constexpr char kFrameSectionVariable[] = "DEXTREL_FRAMES_SECTION";
// Every section's name starts so; the library opens nothing else.
inline constexpr char kFrameSectionPrefix[] = "Local\\DextrelFrames-";

inline constexpr std::uint32_t kFrameSectionMagic = 0x53465844;  // "DXFS"
inline constexpr std::uint32_t kFrameSectionVersion = 1;
// Over 9 hours at 60 fps; 16 MB, of which only the pages written are ever touched.
inline constexpr std::uint64_t kFrameSectionCapacity = 2'097'152;

struct FrameSectionHeader {
  std::uint32_t magic;
  std::uint32_t version;
  std::uint64_t capacity;   // stamps that fit behind the header
  std::uint64_t count;      // stamps written
  std::int64_t frequency;   // performance-counter ticks per second, written by the library
  std::uint32_t overflow;   // 1 once a frame found the section full; later frames are not stamped
  std::uint32_t redirected; // 1 once the game's SwapBuffers leads to the library
  std::uint8_t reserved[24];
};
static_assert(sizeof(FrameSectionHeader) == 64, "both libraries and the program must agree on the layout");
static_assert(offsetof(FrameSectionHeader, frequency) == 24, "both libraries and the program must agree on the layout");

// The stamps (performance-counter values, std::int64_t) follow the header.
inline constexpr std::size_t FrameSectionBytes(std::uint64_t capacity) {
  return sizeof(FrameSectionHeader) + static_cast<std::size_t>(capacity) * sizeof(std::int64_t);
}

}  // namespace dx::platform
