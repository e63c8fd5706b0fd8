# The frame-time capture library, one source in two builds placed beside the program:
# DextrelFrames64.dll with this tree's compiler (the simulated game is 64-bit) and
# DextrelFrames32.dll with mingw-w64's i686 compiler (Quake 4 is 32-bit). Both link the C
# and C++ runtimes in, so they import only the system's DLLs. Their export list forwards
# every opengl32 function, generated from the import library at build time.
set(DEXTREL_CAPTURE_SOURCE "${CMAKE_SOURCE_DIR}/capture/win32/DextrelFrames.cpp")
set(DEXTREL_CAPTURE_DEPENDS "${DEXTREL_CAPTURE_SOURCE}" "${CMAKE_SOURCE_DIR}/platform/FrameSection.h"
    "${CMAKE_SOURCE_DIR}/scripts/opengl-forwarders.sh")
set(DEXTREL_CAPTURE_GENERATED "${CMAKE_BINARY_DIR}/generated/capture")
file(MAKE_DIRECTORY "${DEXTREL_CAPTURE_GENERATED}")

# The import library's path as the given compiler finds it.
function(dextrel_opengl_import_library out_var compiler)
  execute_process(COMMAND "${compiler}" -print-file-name=libopengl32.a OUTPUT_VARIABLE found
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "${compiler} has no libopengl32.a")
  endif()
  set(${out_var} "${found}" PARENT_SCOPE)
endfunction()

# x64.
dextrel_opengl_import_library(DEXTREL_OPENGL64_LIB "${CMAKE_CXX_COMPILER}")
set(DEXTREL_CAPTURE64_DEF "${DEXTREL_CAPTURE_GENERATED}/DextrelFrames64.def")
add_custom_command(OUTPUT "${DEXTREL_CAPTURE64_DEF}"
  COMMAND sh "${CMAKE_SOURCE_DIR}/scripts/opengl-forwarders.sh" "${CMAKE_NM}" "${DEXTREL_OPENGL64_LIB}"
          DextrelFrames64.dll StampedWglSwapBuffers "${DEXTREL_CAPTURE64_DEF}"
  DEPENDS "${CMAKE_SOURCE_DIR}/scripts/opengl-forwarders.sh" "${DEXTREL_OPENGL64_LIB}"
  COMMENT "Listing the opengl32 forwarders of DextrelFrames64.dll")
add_library(DextrelFrames64 SHARED "${DEXTREL_CAPTURE_SOURCE}" "${DEXTREL_CAPTURE64_DEF}")
set_target_properties(DextrelFrames64 PROPERTIES PREFIX "" OUTPUT_NAME DextrelFrames64
                      RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
target_include_directories(DextrelFrames64 PRIVATE "${CMAKE_SOURCE_DIR}")
target_link_libraries(DextrelFrames64 PRIVATE opengl32)
target_link_options(DextrelFrames64 PRIVATE -static $<$<CONFIG:Release>:-s> -Wl,--gc-sections)
dextrel_warnings(DextrelFrames64)

# x86, outside CMake's one-compiler model: a plain compile and link.
find_program(DEXTREL_I686_CXX i686-w64-mingw32-g++-posix REQUIRED)
find_program(DEXTREL_I686_NM i686-w64-mingw32-nm REQUIRED)
dextrel_opengl_import_library(DEXTREL_OPENGL32_LIB "${DEXTREL_I686_CXX}")
set(DEXTREL_CAPTURE32_DEF "${DEXTREL_CAPTURE_GENERATED}/DextrelFrames32.def")
set(DEXTREL_CAPTURE32 "${CMAKE_BINARY_DIR}/DextrelFrames32.dll")
set(DEXTREL_CAPTURE32_FLAGS -std=c++20 -O2 -Wall -Wextra -Wpedantic -Wno-missing-field-initializers
    -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601 -DWINVER=0x0601)
if(DEXTREL_WERROR)
  list(APPEND DEXTREL_CAPTURE32_FLAGS -Werror)
endif()
add_custom_command(OUTPUT "${DEXTREL_CAPTURE32}" "${DEXTREL_CAPTURE32_DEF}"
  COMMAND sh "${CMAKE_SOURCE_DIR}/scripts/opengl-forwarders.sh" "${DEXTREL_I686_NM}" "${DEXTREL_OPENGL32_LIB}"
          DextrelFrames32.dll StampedWglSwapBuffers@4 "${DEXTREL_CAPTURE32_DEF}"
  COMMAND "${DEXTREL_I686_CXX}" ${DEXTREL_CAPTURE32_FLAGS} "-I${CMAKE_SOURCE_DIR}" -shared -static -s
          -o "${DEXTREL_CAPTURE32}" "${DEXTREL_CAPTURE_SOURCE}" "${DEXTREL_CAPTURE32_DEF}" -lopengl32
  DEPENDS ${DEXTREL_CAPTURE_DEPENDS} "${DEXTREL_OPENGL32_LIB}"
  COMMENT "Building DextrelFrames32.dll for the 32-bit game"
  VERBATIM)
add_custom_target(DextrelFrames32 ALL DEPENDS "${DEXTREL_CAPTURE32}")

# Neither can run in this tree's 64-bit wine; each is checked for its machine type and
# for importing nothing Windows does not ship.
add_test(NAME capture_libraries_are_x86_and_x64_with_system_imports
  COMMAND sh "${CMAKE_SOURCE_DIR}/scripts/check-imports.sh"
          --machine i386 "${DEXTREL_CAPTURE32}" --machine x86-64 "$<TARGET_FILE:DextrelFrames64>")

# Shipped by the installer and the zip.
add_custom_command(OUTPUT ${DEXTREL_PACKAGES} APPEND DEPENDS DextrelFrames64 DextrelFrames32 "${DEXTREL_CAPTURE32}")

# The Windows-side suite plays the simulated game with the 64-bit library.
add_dependencies(dextrel_win32_tests DextrelFrames64)
