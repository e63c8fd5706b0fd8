# One library per layer, named after its folder. Each links only the layers its row of the
# Layers table in docs/ARCHITECTURE.md allows, read from the table itself, so that the
# document, the include check (scripts/check-layers.py) and the link tell one story.
# Sources are globbed per folder: a new file lands in its layer without a CMake edit.
set(DEXTREL_LAYERS platform common gameprep sysinfo bench extras app upgrade_helper)
set(DEXTREL_LAYER_TABLE "${CMAKE_SOURCE_DIR}/docs/ARCHITECTURE.md")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${DEXTREL_LAYER_TABLE}")
file(STRINGS "${DEXTREL_LAYER_TABLE}" table_lines)
set(in_layers FALSE)
foreach(line IN LISTS table_lines)
  if(line MATCHES "^## ")
    string(STRIP "${line}" heading)
    string(COMPARE EQUAL "${heading}" "## Layers" in_layers)
  elseif(in_layers AND line MATCHES "^\\| `([a-z_]+)` \\|(.*)\\|$")
    set(layer "${CMAKE_MATCH_1}")
    string(REGEX MATCHALL "`[a-z_]+`" uses "${CMAKE_MATCH_2}")
    string(REPLACE "`" "" uses "${uses}")
    list(REMOVE_ITEM uses "${layer}")
    set(DEXTREL_LAYER_USES_${layer} ${uses})
    set(DEXTREL_LAYER_ROW_${layer} TRUE)
  endif()
endforeach()
foreach(layer IN LISTS DEXTREL_LAYERS)
  if(NOT DEXTREL_LAYER_ROW_${layer})
    message(FATAL_ERROR "docs/ARCHITECTURE.md's Layers table has no row for ${layer}")
  endif()
endforeach()

# The sources of a layer: its folder, with or without its win32/ part. A program's entry
# point is no part of a library.
function(dextrel_layer_sources out_var layer with_win32)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${layer}/*.cpp")
  if(NOT with_win32)
    list(FILTER found EXCLUDE REGEX "/win32/")
  endif()
  list(FILTER found EXCLUDE REGEX "/(app|upgrade_helper)/win32/main\\.cpp$")
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()

# Makes the layer libraries. TYPE is STATIC or SHARED; WITH_WIN32 adds the win32/ parts.
# A layer without sources (the native tree's platform, interfaces only) is an interface
# library.
function(dextrel_layer_libraries type with_win32)
  foreach(layer IN LISTS DEXTREL_LAYERS)
    dextrel_layer_sources(sources ${layer} ${with_win32})
    if(sources)
      add_library(${layer} ${type} ${sources})
      target_include_directories(${layer} PUBLIC "${CMAKE_SOURCE_DIR}")
      target_link_libraries(${layer} PUBLIC ${DEXTREL_LAYER_USES_${layer}})
      dextrel_warnings(${layer})
      if(type STREQUAL "SHARED")
        # A symbol that no allowed layer defines fails the link of the layer itself.
        target_link_options(${layer} PRIVATE -Wl,--no-undefined)
      endif()
    else()
      add_library(${layer} INTERFACE)
      target_include_directories(${layer} INTERFACE "${CMAKE_SOURCE_DIR}")
      target_link_libraries(${layer} INTERFACE ${DEXTREL_LAYER_USES_${layer}})
    endif()
  endforeach()
  # The program's version, from the project's; common/Version.h names it for the code and
  # the resource scripts take it from here too. windres hands definitions to its
  # preprocessor through a shell that drops quotes, so the scripts get it unquoted as well.
  get_target_property(common_type common TYPE)
  if(common_type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
  else()
    set(scope PUBLIC)
  endif()
  target_compile_definitions(common ${scope} DEXTREL_VERSION="${PROJECT_VERSION}" DEXTREL_VERSION_BARE=${PROJECT_VERSION}
    DEXTREL_VERSION_NUMBERS=${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK})
endfunction()

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
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers
                         ${DEXTREL_WARNING_EXCEPTIONS})
  if(DEXTREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
