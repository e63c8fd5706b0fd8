# The portable core: every source of the subsystem folders except the Windows-only
# ones, which live in folders named win32/. New files are picked up without editing
# this list.
set(DEXTREL_CORE_DIRS common app bench gameprep sysinfo extras)

set(DEXTREL_CORE_SOURCES)
foreach(dir IN LISTS DEXTREL_CORE_DIRS)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
  list(FILTER found EXCLUDE REGEX "/win32/")
  list(APPEND DEXTREL_CORE_SOURCES ${found})
endforeach()
# common/ on its own as well: the upgrade helper stands on it without the rest of the core.
set(DEXTREL_COMMON_SOURCES ${DEXTREL_CORE_SOURCES})
list(FILTER DEXTREL_COMMON_SOURCES INCLUDE REGEX "/common/")
list(FILTER DEXTREL_CORE_SOURCES EXCLUDE REGEX "/common/")

file(GLOB DEXTREL_UPGRADE_CORE_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/upgrade_helper/*.cpp")

# The public key a program trusts for update information files. A test build may name a
# throw-away key of its own; the product carries the maker's.
set(DEXTREL_UPDATE_PUBLIC_KEY "${CMAKE_SOURCE_DIR}/assets/keys/update-public.pem" CACHE FILEPATH
    "PEM public key (P-256) that the program's update check trusts")

# Writes a source file that builds the PEM key file in as kMakerUpdatePublicKey.
function(dextrel_update_key_source out_var key_file name)
  if(NOT EXISTS "${key_file}")
    message(FATAL_ERROR "No update key file: ${key_file}")
  endif()
  file(READ "${key_file}" pem)
  string(STRIP "${pem}" pem)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${key_file}")
  set(source "${CMAKE_BINARY_DIR}/generated/${name}.cpp")
  file(CONFIGURE OUTPUT "${source}" CONTENT
"#include \"extras/MakerUpdateKey.h\"\n\nnamespace dx {\n\nconst char kMakerUpdatePublicKey[] = R\"(@pem@\n)\";\n\n}  // namespace dx\n"
    @ONLY)
  set(${out_var} "${source}" PARENT_SCOPE)
endfunction()

file(GLOB DEXTREL_NATIVE_TEST_SOURCES CONFIGURE_DEPENDS
  "${CMAKE_SOURCE_DIR}/tests/native/*.cpp"
  "${CMAKE_SOURCE_DIR}/tests/doubles/*.cpp")

function(dextrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
  if(DEXTREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

function(dextrel_core_library name)
  add_library(${name}_common STATIC ${DEXTREL_COMMON_SOURCES})
  target_include_directories(${name}_common PUBLIC "${CMAKE_SOURCE_DIR}")
  dextrel_warnings(${name}_common)
  add_library(${name} STATIC ${DEXTREL_CORE_SOURCES})
  target_link_libraries(${name} PUBLIC ${name}_common)
  target_compile_definitions(${name} PUBLIC DEXTREL_VERSION="${PROJECT_VERSION}")
  dextrel_warnings(${name})
  if(DEXTREL_UPGRADE_CORE_SOURCES)
    add_library(${name}_upgrade STATIC ${DEXTREL_UPGRADE_CORE_SOURCES})
    target_link_libraries(${name}_upgrade PUBLIC ${name}_common)
    dextrel_warnings(${name}_upgrade)
  endif()
endfunction()
