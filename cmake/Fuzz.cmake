# Fuzzing tree: one libFuzzer program per parser of outside input, on the portable core
# built with AddressSanitizer and UndefinedBehaviorSanitizer. Needs clang++.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "DEXTREL_FUZZ needs clang++ (-DCMAKE_CXX_COMPILER=clang++)")
endif()

# -O1 whatever the build type: quick enough to fuzz, still close to the source.
set(CMAKE_CXX_FLAGS_DEBUG "")
set(CMAKE_CXX_FLAGS_RELEASE "")
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "")
add_compile_options(-g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all
                    -fsanitize=fuzzer-no-link)
add_link_options(-fsanitize=address,undefined)

# Long texts split over lines are meant to be joined (after -Wextra, which turns it on).
set(DEXTREL_WARNING_EXCEPTIONS -Wno-string-concatenation)
dextrel_layer_libraries(STATIC FALSE)
# The standard headers parsed once for every file rather than once per file.
target_precompile_headers(common PRIVATE <algorithm> <functional> <map> <memory> <optional> <string> <string_view>
                          <vector>)
foreach(layer IN ITEMS gameprep sysinfo bench extras app upgrade_helper)
  target_precompile_headers(${layer} REUSE_FROM common)
endforeach()

# The doubles the settings load runs on, and OpenSSL's signatures for the information file.
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
add_library(dextrel_fuzz_doubles STATIC tests/doubles/FakeRegistry.cpp tests/doubles/MemoryFileSystem.cpp
            tests/doubles/OpenSslSigning.cpp)
target_link_libraries(dextrel_fuzz_doubles PUBLIC app OpenSSL::Crypto)

file(GLOB DEXTREL_FUZZ_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/fuzz/fuzz_*.cpp")
set(DEXTREL_FUZZ_TARGETS)
foreach(source IN LISTS DEXTREL_FUZZ_SOURCES)
  get_filename_component(name "${source}" NAME_WE)
  add_executable(${name} "${source}")
  target_precompile_headers(${name} REUSE_FROM common)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE dextrel_fuzz_doubles app upgrade_helper)
  dextrel_warnings(${name})
  list(APPEND DEXTREL_FUZZ_TARGETS ${name})
endforeach()
