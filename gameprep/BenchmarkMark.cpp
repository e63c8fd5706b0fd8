#include "gameprep/BenchmarkMark.h"

#include <cstdint>
#include <vector>

namespace dx {
namespace {

constexpr const char* kPrefix = "Dextrel.Benchmark.";
constexpr std::size_t kLongestPlainName = 200;

char Upper(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  // The Windows-1252 small letters with an accent, the division sign excepted.
  if (u >= 0xE0 && u != 0xF7 && u != 0xFF) return static_cast<char>(u - 32);
  return c;
}

std::uint64_t Fnv1a(const std::string& text, std::uint64_t hash) {
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

std::string Hex(std::uint64_t value) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) out[static_cast<std::size_t>(i)] = digits[value & 15];
  return out;
}

}  // namespace

std::string NormalisedFolder(const std::string& path) {
  std::string text;
  for (char c : path) text += c == '/' ? '\\' : Upper(c);
  // A network path keeps its two leading backslashes.
  const bool network = text.size() >= 2 && text[0] == '\\' && text[1] == '\\';
  std::vector<std::string> levels;
  std::string level;
  for (std::size_t i = network ? 2 : 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\\') {
      if (!level.empty() && level != ".") levels.push_back(level);
      level.clear();
    } else {
      level += text[i];
    }
  }
  std::string out = network ? "\\\\" : "";
  for (std::size_t i = 0; i < levels.size(); ++i) out += (i ? "\\" : "") + levels[i];
  return out;
}

std::string BenchmarkMarkName(const std::string& gamePath) {
  std::string folder = NormalisedFolder(gamePath);
  if (folder.size() > kLongestPlainName) {
    return kPrefix + Hex(Fnv1a(folder, 0xCBF29CE484222325ull)) + Hex(Fnv1a(folder, 0x84222325CBF29CE4ull));
  }
  for (char& c : folder) {
    if (c == '\\') c = '/';
  }
  return kPrefix + folder;
}

}  // namespace dx
