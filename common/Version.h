#pragma once
// The program's version. The build defines it from the project's version in
// CMakeLists.txt, the one place it is written.
#ifndef DEXTREL_VERSION
#error "DEXTREL_VERSION comes from the build (the common library)"
#endif

namespace dx {

inline constexpr const char kProgramVersion[] = DEXTREL_VERSION;

}  // namespace dx
