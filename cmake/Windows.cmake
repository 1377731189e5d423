# Windows build (MinGW-w64 cross or native): the program, its Win32 layers and every test program.
# ctest runs the test programs under Wine through CMAKE_CROSSCOMPILING_EMULATOR.

set(TARNWICK_WIN_LIBS user32 gdi32 comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 uuid advapi32
    psapi)

# Every .cpp of the Win32 layers, less the portable ones and the program entry.
file(GLOB WIN_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*.cpp ${CMAKE_SOURCE_DIR}/forms/*.cpp ${CMAKE_SOURCE_DIR}/gen/*_win.cpp
  ${CMAKE_SOURCE_DIR}/toolkit/*.cpp ${CMAKE_SOURCE_DIR}/tray/*.cpp)
get_target_property(_portable tarnwick_portable SOURCES)
foreach(_src IN LISTS _portable)
  list(REMOVE_ITEM WIN_SOURCES ${CMAKE_SOURCE_DIR}/${_src})
endforeach()
list(REMOVE_ITEM WIN_SOURCES ${CMAKE_SOURCE_DIR}/app/Main.cpp
     ${CMAKE_SOURCE_DIR}/app/ThreadSupport.cpp)

add_library(tarnwick_win STATIC ${WIN_SOURCES})
target_link_libraries(tarnwick_win PUBLIC tarnwick_portable ${TARNWICK_WIN_LIBS})
# The program's static locals are touched by its interface thread alone (see CMakeLists.txt), in
# every build: then no build of Tarnwick.exe needs the thread library's lock code, and the one
# the tests run is the one that ships in this as well.
target_compile_options(tarnwick_portable PRIVATE -fno-threadsafe-statics)
target_compile_options(tarnwick_win PRIVATE -fno-threadsafe-statics)
target_compile_definitions(tarnwick_portable PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX
                           _WIN32_WINNT=0x0601 WINVER=0x0601)

if(EXISTS ${CMAKE_SOURCE_DIR}/app/Main.cpp)
  file(GLOB RC_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
  # The resource compiler's inputs are not scanned: a new icon or picture must still rebuild.
  file(GLOB RC_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.ico
       ${CMAKE_SOURCE_DIR}/resources/*.jpg ${CMAKE_SOURCE_DIR}/resources/*.manifest)
  # The version record takes the project's version from a header written here.
  set(_minor 0)
  set(_patch 0)
  if(NOT PROJECT_VERSION_MINOR STREQUAL "")
    set(_minor ${PROJECT_VERSION_MINOR})
  endif()
  if(NOT PROJECT_VERSION_PATCH STREQUAL "")
    set(_patch ${PROJECT_VERSION_PATCH})
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/packaging/TarnwickVersion.h.in
                 ${CMAKE_BINARY_DIR}/generated/TarnwickVersion.h @ONLY)
  list(APPEND RC_INPUTS ${CMAKE_BINARY_DIR}/generated/TarnwickVersion.h)
  set_source_files_properties(${RC_SOURCES} PROPERTIES OBJECT_DEPENDS "${RC_INPUTS}"
                              INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/generated)
  # ThreadSupport.cpp: the run-time's few thread calls, so that the thread library stays out.
  add_executable(Tarnwick WIN32 app/Main.cpp app/ThreadSupport.cpp ${RC_SOURCES})
  target_link_libraries(Tarnwick PRIVATE tarnwick_win)
  target_compile_options(Tarnwick PRIVATE -fno-threadsafe-statics)
  include(cmake/Package.cmake)
endif()

# Without the tests (the shipped build), the helper programs below are built only when named.
if(TARNWICK_TESTS)
  set(_on_demand "")
else()
  set(_on_demand EXCLUDE_FROM_ALL)
endif()

# A program that keeps one hidden window open, so Wine keeps its virtual desktop between tests.
# The benchmarks also measure it as the least a windowed program costs.
add_executable(wine_keepalive WIN32 ${_on_demand} tests/support/keepalive.cpp)
target_link_libraries(wine_keepalive PRIVATE user32)

# The start-up benchmark's yardstick: a minimal tray program (window, edit box, hot key, icon),
# built as Tarnwick.exe is, its manifest included; and the same program without the manifest,
# which is also the call-up yardstick.
add_executable(bench_tray_program WIN32 EXCLUDE_FROM_ALL bench/trivial/TrayProgram.cpp
               bench/trivial/TrayProgram.rc)
target_link_libraries(bench_tray_program PRIVATE user32 shell32)
set_source_files_properties(bench/trivial/TrayProgram.rc PROPERTIES OBJECT_DEPENDS
                            ${CMAKE_SOURCE_DIR}/resources/Tarnwick.manifest)
add_executable(bench_tray_program_plain WIN32 EXCLUDE_FROM_ALL bench/trivial/TrayProgram.cpp)
target_link_libraries(bench_tray_program_plain PRIVATE user32 shell32)

# Benchmarks: one program per bench/*.cpp, named after its file. scripts/bench.sh builds and runs
# them under Wine; they print figures and are not tests.
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
foreach(_src IN LISTS BENCH_SOURCES)
  get_filename_component(_name ${_src} NAME_WE)
  add_executable(${_name} ${_on_demand} ${_src})
  # The Win32 layers too: the keystroke benchmark upper-cases through the system, as the program.
  target_link_libraries(${_name} PRIVATE tarnwick_win)
endforeach()

# Calls up the running program's windows for scripts/screenshots.sh.
add_executable(callup ${_on_demand} tests/support/callup.cpp)
target_link_libraries(callup PRIVATE user32)

if(NOT TARNWICK_TESTS)
  return()
endif()

# ---- Tests under Wine -------------------------------------------------------------------------
# One Wine prefix per test run, made by the setup fixture; every Wine test requires it.
set(WINE_STATE_DIR ${CMAKE_BINARY_DIR}/wine)
set(WINE_TEST_ENV "TARNWICK_WINE_STATE=${WINE_STATE_DIR}"
                  "TARNWICK_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
                  "TARNWICK_BINARY_DIR=${CMAKE_BINARY_DIR}")

# Built natively on Windows, the test programs run as they are: no prefix to make.
if(CMAKE_CROSSCOMPILING)
  add_test(NAME wine.setup
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-setup.sh ${WINE_STATE_DIR}
                   $<TARGET_FILE:wine_keepalive>)
  set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
  add_test(NAME wine.teardown
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-teardown.sh ${WINE_STATE_DIR})
  set_tests_properties(wine.teardown PROPERTIES FIXTURES_CLEANUP wine)
endif()

# tarnwick_wine_test(NAME target [DESKTOP]): run a test program under Wine. DESKTOP serialises
# the tests that share the virtual desktop (windows, focus, the notification area).
function(tarnwick_wine_test name target)
  cmake_parse_arguments(ARG "DESKTOP" "" "" ${ARGN})
  add_test(NAME ${name} COMMAND ${target})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${WINE_TEST_ENV}" TIMEOUT 600)
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
  if(ARG_DESKTOP)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

# The shipped exe's answers to the run-time's thread calls, in place of the thread library's:
# a program of its own, without GoogleTest (whose threads would bring the library back).
add_executable(runtime_ThreadSupportTest tests/runtime/ThreadSupportTest.cpp app/ThreadSupport.cpp)
tarnwick_wine_test(runtime.ThreadSupportTest runtime_ThreadSupportTest)

# unit: the portable tests, here as Windows code.
file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/Recorder.cpp)
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(unit_tests PRIVATE tarnwick_portable GTest::gtest_main)
tarnwick_wine_test(unit.wine unit_tests)

# gui and e2e: one program per source file, each its own ctest test.
file(GLOB TEST_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*_lib.cpp)
add_library(tarnwick_test_support STATIC ${TEST_SUPPORT_SOURCES}
            ${CMAKE_SOURCE_DIR}/tests/support/Recorder.cpp)
target_link_libraries(tarnwick_test_support PUBLIC tarnwick_win GTest::gtest)
target_include_directories(tarnwick_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)

foreach(_kind gui e2e)
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${_kind}/*.cpp)
  foreach(_src IN LISTS _tests)
    get_filename_component(_name ${_src} NAME_WE)
    add_executable(${_kind}_${_name} ${_src})
    target_link_libraries(${_kind}_${_name} PRIVATE tarnwick_test_support GTest::gtest_main)
    if(_kind STREQUAL gui)
      # The header pictures, so that the windows under test load them as the program does.
      target_sources(${_kind}_${_name} PRIVATE ${CMAKE_SOURCE_DIR}/resources/Headers.rc)
    endif()
    if(_name STREQUAL ScaleTest OR _name STREQUAL DpiChangeTest)
      # The program's icon and manifest (version 6 controls, DPI awareness): the windows at
      # other scales are judged as the program draws them.
      target_sources(${_kind}_${_name} PRIVATE ${CMAKE_SOURCE_DIR}/resources/Tarnwick.rc)
    endif()
    tarnwick_wine_test(${_kind}.${_name} ${_kind}_${_name} DESKTOP)
    if(_kind STREQUAL e2e)
      # The real program and the marker it launches, handed to the driver by path.
      add_dependencies(${_kind}_${_name} Tarnwick marker)
      set_property(TEST ${_kind}.${_name} APPEND PROPERTY ENVIRONMENT
                   "TARNWICK_EXE=$<TARGET_FILE:Tarnwick>" "TARNWICK_MARKER=$<TARGET_FILE:marker>")
    endif()
  endforeach()
endforeach()

# An empty DLL that the DLL search test copies where the search should, or should not, find it.
add_library(dll_probe SHARED tests/support/probe_dll.c)
target_link_options(dll_probe PRIVATE -static-libgcc)
if(TARGET gui_DllSearchTest)
  add_dependencies(gui_DllSearchTest dll_probe)
  set_property(TEST gui.DllSearchTest APPEND PROPERTY ENVIRONMENT
               "TARNWICK_PROBE_DLL=$<TARGET_FILE:dll_probe>")
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e)
  # The stand-in that end-to-end launches start: records its arguments and working folder.
  add_executable(marker tests/support/marker.cpp)
endif()
