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

file(GLOB DEXTREL_UPGRADE_CORE_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/upgrade_helper/*.cpp")

file(GLOB DEXTREL_NATIVE_TEST_SOURCES CONFIGURE_DEPENDS
  "${CMAKE_SOURCE_DIR}/tests/native/*.cpp"
  "${CMAKE_SOURCE_DIR}/tests/doubles/*.cpp")

function(dextrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
endfunction()

function(dextrel_core_library name)
  add_library(${name} STATIC ${DEXTREL_CORE_SOURCES})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
  target_compile_definitions(${name} PUBLIC DEXTREL_VERSION="${PROJECT_VERSION}")
  dextrel_warnings(${name})
  if(DEXTREL_UPGRADE_CORE_SOURCES)
    add_library(${name}_upgrade STATIC ${DEXTREL_UPGRADE_CORE_SOURCES})
    target_include_directories(${name}_upgrade PUBLIC "${CMAKE_SOURCE_DIR}")
    dextrel_warnings(${name}_upgrade)
  endif()
endfunction()
