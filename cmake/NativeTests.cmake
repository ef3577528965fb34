# Native unit tests of the OS-free logic.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
file(GLOB TSB_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(tsb_unit_tests ${TSB_UNIT_TESTS})
target_link_libraries(tsb_unit_tests PRIVATE tsb_core GTest::gtest_main)
