#include <gtest/gtest.h>

#include <string>

#include "gameprep/CaptureLibrary.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace dx {
namespace {

// The head of a PE file: "MZ", e_lfanew at 0x3C, then "PE\0\0" and the machine field.
std::string PeHead(std::uint16_t machine, std::uint32_t peAt = 0x80) {
  std::string bytes(peAt + 24, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<char>(peAt >> (8 * i));
  bytes.replace(peAt, 4, std::string("PE\0\0", 4));
  bytes[peAt + 4] = static_cast<char>(machine & 0xFF);
  bytes[peAt + 5] = static_cast<char>(machine >> 8);
  return bytes;
}

TEST(CaptureLibrary, MachineTypeComesFromThePeHeaderAndAnythingElseIsUnknown) {
  EXPECT_EQ(MachineTypeOf(PeHead(0x14C)), MachineType::X86);
  EXPECT_EQ(MachineTypeOf(PeHead(0x8664)), MachineType::X64);
  EXPECT_EQ(MachineTypeOf(PeHead(0x8664, 0x40)), MachineType::X64);  // header right behind the DOS one
  EXPECT_EQ(MachineTypeOf(PeHead(0xAA64)), MachineType::Unknown);    // ARM64: no library for it

  std::string notMz = PeHead(0x14C);
  notMz[0] = 'Z';
  EXPECT_EQ(MachineTypeOf(notMz), MachineType::Unknown);
  std::string notPe = PeHead(0x14C);
  notPe[0x81] = 'X';
  EXPECT_EQ(MachineTypeOf(notPe), MachineType::Unknown);
  EXPECT_EQ(MachineTypeOf(""), MachineType::Unknown);
  EXPECT_EQ(MachineTypeOf("MZ"), MachineType::Unknown);
  // Cut inside the machine field, and an offset that points past the end or wraps around.
  EXPECT_EQ(MachineTypeOf(PeHead(0x14C).substr(0, 0x85)), MachineType::Unknown);
  std::string far = PeHead(0x14C);
  far[0x3D] = 0x7F;
  EXPECT_EQ(MachineTypeOf(far), MachineType::Unknown);
  std::string wrapped = PeHead(0x14C);
  for (int i = 0; i < 4; ++i) wrapped[0x3C + i] = '\xFF';
  EXPECT_EQ(MachineTypeOf(wrapped), MachineType::Unknown);
}

TEST(CaptureLibrary, TheLibraryOfTheGamesMachineTypeIsChosenOnlyWhenItIsThereAndOfThatType) {
  test::MemoryFileSystem files;
  const std::string game = "C:\\Games\\Quake 4\\quake4.exe";
  const std::string program = "C:\\Program Files (x86)\\Tamberlin\\Dextrel\\";
  files.AddFile(game, PeHead(0x14C));

  // Missing library: none, and the reason names it.
  CaptureLibraryChoice choice = ChooseCaptureLibrary(files, game, program);
  EXPECT_EQ(choice.path, "");
  EXPECT_NE(choice.reason.find(program + "DextrelFrames32.dll"), std::string::npos) << choice.reason;
  EXPECT_NE(choice.reason.find("missing"), std::string::npos) << choice.reason;

  files.AddFile(program + "DextrelFrames32.dll", PeHead(0x14C));
  files.AddFile(program + "DextrelFrames64.dll", PeHead(0x8664));
  choice = ChooseCaptureLibrary(files, game, program);
  EXPECT_EQ(choice.path, program + "DextrelFrames32.dll");
  EXPECT_EQ(choice.reason, "");

  files.AddFile(game, PeHead(0x8664));
  EXPECT_EQ(ChooseCaptureLibrary(files, game, program).path, program + "DextrelFrames64.dll");

  // A library of the other type under the right name would stop the game at its start.
  files.AddFile(program + "DextrelFrames64.dll", PeHead(0x14C));
  choice = ChooseCaptureLibrary(files, game, program);
  EXPECT_EQ(choice.path, "");
  EXPECT_NE(choice.reason.find("DextrelFrames64.dll"), std::string::npos) << choice.reason;

  // A game that is no PE file, or not there at all.
  files.AddFile(game, "#!/bin/sh\n");
  choice = ChooseCaptureLibrary(files, game, program);
  EXPECT_EQ(choice.path, "");
  EXPECT_NE(choice.reason.find("unknown"), std::string::npos) << choice.reason;
  EXPECT_EQ(ChooseCaptureLibrary(files, "C:\\Nowhere\\quake4.exe", program).path, "");
}

}  // namespace
}  // namespace dx
