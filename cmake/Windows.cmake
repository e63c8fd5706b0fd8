# Windows tree (mingw-w64): the program, the upgrade helper, the Win32 layer, the test
# tools and the Windows-side suites, which CTest runs under wine.
enable_language(RC)

# Debian ships no GoogleTest built for mingw-w64: cmake/mingw/FindGTest.cmake builds it
# from Debian's sources (the googletest package) inside this tree.
list(PREPEND CMAKE_MODULE_PATH "${CMAKE_SOURCE_DIR}/cmake/mingw")
find_package(GTest REQUIRED)

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
# Each function in a section of its own, so the programs' links drop what nothing calls;
# -O2 rather than -O3, whose unrolled copies double the code for no speed a user notices.
add_compile_options(-ffunction-sections -fdata-sections)
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
string(REPLACE "-O3" "-O2" CMAKE_C_FLAGS_RELEASE "${CMAKE_C_FLAGS_RELEASE}")

# Static layers, each with its win32/ part: the programs ship as single files. The
# linker reads archives in layer order, so a layer using one above it fails to link.
dextrel_layer_libraries(STATIC TRUE)
target_link_libraries(platform PUBLIC comctl32 shlwapi shell32 ole32 oleaut32 uuid gdi32 gdiplus user32 advapi32
                      version dbghelp psapi wininet comdlg32 urlmon bcrypt)

# The manifests carry the project's version.
configure_file("${CMAKE_SOURCE_DIR}/app/win32/app.manifest.in" "${CMAKE_BINARY_DIR}/generated/app.manifest" @ONLY)
configure_file("${CMAKE_SOURCE_DIR}/upgrade_helper/win32/upgrade.manifest.in" "${CMAKE_BINARY_DIR}/generated/upgrade.manifest"
               @ONLY)

# The upgrade helper.
file(GLOB DEXTREL_UPGRADE_WIN32_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/upgrade_helper/win32/*.cpp")
add_executable(DextrelUpgrade WIN32 ${DEXTREL_UPGRADE_WIN32_SOURCES} "${CMAKE_SOURCE_DIR}/upgrade_helper/win32/upgrade.rc")
target_include_directories(DextrelUpgrade PRIVATE "${CMAKE_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/generated")
target_link_libraries(DextrelUpgrade PRIVATE upgrade_helper user32 kernel32 shell32 advapi32)
dextrel_warnings(DextrelUpgrade)
# The shipped programs carry no debug information (the static runtime brings a lot), and
# the helper, which travels inside the program, is built for size.
target_link_options(DextrelUpgrade PRIVATE $<$<CONFIG:Release>:-s> -Wl,--gc-sections)
target_compile_options(DextrelUpgrade PRIVATE $<$<CONFIG:Release>:-Os> -ffunction-sections -fdata-sections)

# The pictures, rendered from their SVG sources.
file(GLOB DEXTREL_ART_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/assets/art/*.svg")
set(DEXTREL_ART_DIR "${CMAKE_BINARY_DIR}/generated/art")
set(DEXTREL_ART_OUTPUTS)
foreach(name window logo run-up run-down exit minimize icon-browse icon-open icon-update icon-close wizard)
  list(APPEND DEXTREL_ART_OUTPUTS "${DEXTREL_ART_DIR}/${name}.png")
endforeach()
list(APPEND DEXTREL_ART_OUTPUTS "${DEXTREL_ART_DIR}/splash.jpg" "${DEXTREL_ART_DIR}/dialog.jpg" "${DEXTREL_ART_DIR}/app.ico")
add_custom_command(OUTPUT ${DEXTREL_ART_OUTPUTS}
  COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/render-art.sh" "${CMAKE_SOURCE_DIR}/assets/art" "${DEXTREL_ART_DIR}"
  DEPENDS ${DEXTREL_ART_SOURCES} "${CMAKE_SOURCE_DIR}/scripts/render-art.sh"
  COMMENT "Rendering the pictures")
add_custom_target(dextrel_art DEPENDS ${DEXTREL_ART_OUTPUTS})

# The program. Its resource script pulls in the pictures and the built helper.
set(DEXTREL_UPGRADE_EXE_PATH "${CMAKE_BINARY_DIR}/DextrelUpgrade.exe")
set_source_files_properties("${CMAKE_SOURCE_DIR}/app/win32/dextrel.rc" PROPERTIES
  OBJECT_DEPENDS "${DEXTREL_UPGRADE_EXE_PATH};${DEXTREL_ART_OUTPUTS}")
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/generated/upgrade_helper.rc.inc"
  CONTENT "IDR_UPGRADE_HELPER RCDATA \"${DEXTREL_UPGRADE_EXE_PATH}\"\n")
function(dextrel_program name key_source)
  add_executable(${name} WIN32 "${CMAKE_SOURCE_DIR}/app/win32/main.cpp" "${CMAKE_SOURCE_DIR}/app/win32/dextrel.rc"
                 "${key_source}")
  target_link_libraries(${name} PRIVATE app)
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/generated")
  add_dependencies(${name} DextrelUpgrade dextrel_art)
  dextrel_warnings(${name})
  target_link_options(${name} PRIVATE $<$<CONFIG:Release>:-s> -Wl,--gc-sections)
endfunction()
dextrel_update_key_source(DEXTREL_UPDATE_KEY_SOURCE "${DEXTREL_UPDATE_PUBLIC_KEY}" update_key)
dextrel_program(Dextrel "${DEXTREL_UPDATE_KEY_SOURCE}")
# The sizes of what ships, printed with every build of the program.
add_custom_command(TARGET Dextrel POST_BUILD
  COMMAND sh "${CMAKE_SOURCE_DIR}/scripts/print-sizes.sh" "$<TARGET_FILE:Dextrel>" "$<TARGET_FILE:DextrelUpgrade>")

# The same program trusting a throw-away key made for this build tree, so that the
# scenarios can sign update information files; its private half never leaves the tree.
set(DEXTREL_TEST_KEY_DIR "${CMAKE_BINARY_DIR}/test-update-key")
if(NOT EXISTS "${DEXTREL_TEST_KEY_DIR}/public.pem")
  file(MAKE_DIRECTORY "${DEXTREL_TEST_KEY_DIR}")
  execute_process(COMMAND openssl ecparam -name prime256v1 -genkey -noout -out "${DEXTREL_TEST_KEY_DIR}/private.pem"
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND openssl ec -in "${DEXTREL_TEST_KEY_DIR}/private.pem" -pubout
                          -out "${DEXTREL_TEST_KEY_DIR}/public.pem" ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
endif()
dextrel_update_key_source(DEXTREL_TEST_KEY_SOURCE "${DEXTREL_TEST_KEY_DIR}/public.pem" test_update_key)
dextrel_program(DextrelTestKey "${DEXTREL_TEST_KEY_SOURCE}")

# Test tools: each folder under tools/ holding C++ sources is one Windows program.
file(GLOB tool_dirs LIST_DIRECTORIES true "${CMAKE_SOURCE_DIR}/tools/*")
foreach(tool_dir IN LISTS tool_dirs)
  file(GLOB tool_sources CONFIGURE_DEPENDS "${tool_dir}/*.cpp")
  if(IS_DIRECTORY "${tool_dir}" AND tool_sources)
    get_filename_component(tool_name "${tool_dir}" NAME)
    add_executable(${tool_name} ${tool_sources})
    # A tool with a WinMain is a GUI-subsystem program (a message loop, no console).
    foreach(src IN LISTS tool_sources)
      file(STRINGS "${src}" winmain REGEX "^int WINAPI WinMain\\(")
      if(winmain)
        set_target_properties(${tool_name} PROPERTIES WIN32_EXECUTABLE TRUE)
      endif()
    endforeach()
    target_include_directories(${tool_name} PRIVATE "${CMAKE_SOURCE_DIR}")
    target_link_libraries(${tool_name} PRIVATE app)
    dextrel_warnings(${tool_name})
  endif()
endforeach()

# Windows-side suites under wine. Each test run has its own prefix in the build tree.
set(DEXTREL_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
function(dextrel_wine_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "WINEPREFIX=${DEXTREL_WINEPREFIX}" TIMEOUT 300)
endfunction()

file(GLOB DEXTREL_WIN32_TEST_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/win32/*.cpp")
add_executable(dextrel_win32_tests ${DEXTREL_WIN32_TEST_SOURCES})
target_include_directories(dextrel_win32_tests PRIVATE "${CMAKE_SOURCE_DIR}")
target_link_libraries(dextrel_win32_tests PRIVATE app upgrade_helper GTest::gmock GTest::gtest_main)
dextrel_warnings(dextrel_win32_tests)
dextrel_wine_test(win32_suite dextrel_win32_tests --gtest_color=no)

# Small programs the Windows-side suites start (a fault on purpose, a child with an exit code...).
file(GLOB helper_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/win32/programs/*.cpp")
foreach(src IN LISTS helper_sources)
  get_filename_component(prog "${src}" NAME_WE)
  add_executable(${prog} ${src})
  target_include_directories(${prog} PRIVATE "${CMAKE_SOURCE_DIR}")
  target_link_libraries(${prog} PRIVATE app)
  add_dependencies(dextrel_win32_tests ${prog})
endforeach()
target_compile_definitions(dextrel_win32_tests PRIVATE DEXTREL_BIN_DIR="${CMAKE_BINARY_DIR}")

# End-to-end scenarios: Python scripts that drive the real program under wine and Xvfb.
file(GLOB e2e_scripts CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py")
foreach(script IN LISTS e2e_scripts)
  get_filename_component(name "${script}" NAME_WE)
  add_test(NAME e2e_${name} COMMAND python3 "${script}" --bin "${CMAKE_BINARY_DIR}" --source "${CMAKE_SOURCE_DIR}")
  set_tests_properties(e2e_${name} PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE
    ENVIRONMENT "WINEPREFIX=${DEXTREL_WINEPREFIX};WINEPREFIX_ROOT=${CMAKE_BINARY_DIR}/e2e-prefixes;SCRIPTS_DIR=${CMAKE_SOURCE_DIR}/scripts")
endforeach()

# Nothing to ship beside the programs: they may import only the system's own DLLs.
add_test(NAME programs_import_only_system_dlls
  COMMAND sh "${CMAKE_SOURCE_DIR}/scripts/check-imports.sh" "${CMAKE_BINARY_DIR}/Dextrel.exe" "${CMAKE_BINARY_DIR}/DextrelUpgrade.exe")

# The files delivered beside the program, placed next to Dextrel.exe so that a run from
# the build finds them: the help file, the offline news page and the built-in demo.
file(GLOB DEXTREL_HELP_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/assets/help/*")
add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/help.chm"
  COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/build-help.sh" "${CMAKE_SOURCE_DIR}/assets/help"
          "${CMAKE_SOURCE_DIR}/assets/art/logo.svg" "${CMAKE_BINARY_DIR}/help.chm"
  DEPENDS ${DEXTREL_HELP_SOURCES} "${CMAKE_SOURCE_DIR}/assets/art/logo.svg" "${CMAKE_SOURCE_DIR}/scripts/build-help.sh"
  COMMENT "Compiling the help file")
add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/offlinenews.html"
  COMMAND ${CMAKE_COMMAND} -E copy "${CMAKE_SOURCE_DIR}/assets/news/offlinenews.html" "${CMAKE_BINARY_DIR}/offlinenews.html"
  DEPENDS "${CMAKE_SOURCE_DIR}/assets/news/offlinenews.html")
add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/Demos/VKRdemo.demo"
  COMMAND ${CMAKE_COMMAND} -E copy "${CMAKE_SOURCE_DIR}/assets/demo/VKRdemo.demo" "${CMAKE_BINARY_DIR}/Demos/VKRdemo.demo"
  DEPENDS "${CMAKE_SOURCE_DIR}/assets/demo/VKRdemo.demo")
add_custom_target(dextrel_program_files ALL
  DEPENDS "${CMAKE_BINARY_DIR}/help.chm" "${CMAKE_BINARY_DIR}/offlinenews.html" "${CMAKE_BINARY_DIR}/Demos/VKRdemo.demo")

# The installer and the portable zip. The real demo recorded with the game comes from
# outside the tree; without it the packages carry the simulated game's demo and say so
# in their names.
set(DEXTREL_RELEASE_DEMO "" CACHE FILEPATH "The VKRdemo.demo recorded with Quake 4 v1.4.1 for release packages")
if(DEXTREL_RELEASE_DEMO)
  set(DEXTREL_PACKAGE_SUFFIX "")
  set(DEXTREL_PACKAGE_DEMO "${DEXTREL_RELEASE_DEMO}")
else()
  set(DEXTREL_PACKAGE_SUFFIX "-NOT-FOR-RELEASE")
  set(DEXTREL_PACKAGE_DEMO "${CMAKE_SOURCE_DIR}/assets/demo/VKRdemo.demo")
endif()
set(DEXTREL_PACKAGE_DIR "${CMAKE_BINARY_DIR}/packages")
set(DEXTREL_PACKAGES
  "${DEXTREL_PACKAGE_DIR}/Dextrel-${PROJECT_VERSION}-setup${DEXTREL_PACKAGE_SUFFIX}.exe"
  "${DEXTREL_PACKAGE_DIR}/Dextrel-${PROJECT_VERSION}-portable${DEXTREL_PACKAGE_SUFFIX}.zip")
file(GLOB DEXTREL_PORTABLE_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/assets/portable/*")
add_custom_command(OUTPUT ${DEXTREL_PACKAGES}
  COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/package.sh" "${CMAKE_BINARY_DIR}" "${DEXTREL_PACKAGE_DIR}"
          "${PROJECT_VERSION}" "${DEXTREL_RELEASE_DEMO}"
  COMMAND sh "${CMAKE_SOURCE_DIR}/scripts/print-sizes.sh" ${DEXTREL_PACKAGES}
  DEPENDS Dextrel dextrel_program_files "${DEXTREL_PACKAGE_DEMO}" ${DEXTREL_PORTABLE_SOURCES}
          "${CMAKE_SOURCE_DIR}/assets/installer/dextrel.nsi" "${CMAKE_SOURCE_DIR}/scripts/package.sh"
          "$<TARGET_FILE:Dextrel>" "${CMAKE_BINARY_DIR}/help.chm" "${CMAKE_BINARY_DIR}/offlinenews.html"
  COMMENT "Building the installer and the portable zip")
add_custom_target(dextrel_packages ALL DEPENDS ${DEXTREL_PACKAGES})
