# Native Linux build: the portable code and its unit tests, with ASan and UBSan.
option(TARNWICK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(TARNWICK_SANITIZE)
  set(_san -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_compile_options(tarnwick_portable PUBLIC ${_san})
  target_link_options(tarnwick_portable PUBLIC ${_san})
endif()

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/Recorder.cpp)
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(unit_tests PRIVATE tarnwick_portable GTest::gtest_main)
target_compile_definitions(unit_tests PRIVATE TARNWICK_NATIVE=1)
add_test(NAME unit.native COMMAND unit_tests)
