# Native (Linux) tree: the portable core and its GoogleTest suites.
if(DEXTREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Debian's prebuilt GoogleTest (libgtest-dev, libgmock-dev).
find_package(GTest CONFIG REQUIRED)
include(GoogleTest)

# Shared layers here: the linker refuses a layer that uses one its row does not allow.
dextrel_layer_libraries(SHARED FALSE)

# The tests sign with keys they make themselves and check signatures with OpenSSL, so a
# signature from another key fails for real.
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
dextrel_update_key_source(DEXTREL_UPDATE_KEY_SOURCE "${DEXTREL_UPDATE_PUBLIC_KEY}" update_key)

add_executable(dextrel_tests ${DEXTREL_NATIVE_TEST_SOURCES} "${DEXTREL_UPDATE_KEY_SOURCE}")
target_include_directories(dextrel_tests PRIVATE "${CMAKE_SOURCE_DIR}")
target_link_libraries(dextrel_tests PRIVATE app upgrade_helper GTest::gmock GTest::gtest_main OpenSSL::Crypto)
target_compile_definitions(dextrel_tests PRIVATE DEXTREL_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
dextrel_warnings(dextrel_tests)
gtest_discover_tests(dextrel_tests DISCOVERY_TIMEOUT 60)

# Speed measurements: programs that print their timings, not tests.
add_executable(parse_bench tests/bench/parse_bench.cpp tests/doubles/MemoryFileSystem.cpp tests/doubles/FakeRegistry.cpp)
target_include_directories(parse_bench PRIVATE "${CMAKE_SOURCE_DIR}")
target_link_libraries(parse_bench PRIVATE app)
dextrel_warnings(parse_bench)

add_executable(history_bench tests/bench/history_bench.cpp tests/doubles/MemoryFileSystem.cpp)
target_include_directories(history_bench PRIVATE "${CMAKE_SOURCE_DIR}")
target_link_libraries(history_bench PRIVATE bench)
dextrel_warnings(history_bench)

# The layer order of docs/ARCHITECTURE.md, checked on every include of the product folders.
add_test(NAME layer_order COMMAND python3 "${CMAKE_SOURCE_DIR}/scripts/check-layers.py" --root "${CMAKE_SOURCE_DIR}")
