# The Windows build: framework, units, the program, its tests and tools.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601 STRICT)
set(TSB_SYSTEM_LIBS comctl32 comdlg32 gdi32 user32 ole32 oleaut32 uuid shell32 shlwapi msimg32 version usp10 oleacc)  # oleacc after uuid, which also defines its interface id

file(GLOB TSB_FRAMEWORK_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/framework/win/*.cpp)
add_library(tsb_framework STATIC ${TSB_FRAMEWORK_SOURCES})
target_link_libraries(tsb_framework PUBLIC tsb_core JPEG::JPEG ${TSB_SYSTEM_LIBS})

# Every unit except the program entry, so tests link the real code.
file(GLOB TSB_UNIT_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/pages/*.cpp
  ${CMAKE_SOURCE_DIR}/src/controls/*.cpp
  ${CMAKE_SOURCE_DIR}/src/about/*.cpp
  ${CMAKE_SOURCE_DIR}/src/monitor/*.cpp
  ${CMAKE_SOURCE_DIR}/src/pictures/*.cpp
  ${CMAKE_SOURCE_DIR}/src/creation/*.cpp
  ${CMAKE_SOURCE_DIR}/src/app/*.cpp)
list(TRANSFORM TSB_CORE_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/ OUTPUT_VARIABLE TSB_CORE_PATHS)  # in tsb_core already
list(REMOVE_ITEM TSB_UNIT_SOURCES ${CMAKE_SOURCE_DIR}/src/app/main.cpp ${TSB_CORE_PATHS})
add_library(tsb_units STATIC ${TSB_UNIT_SOURCES})
target_link_libraries(tsb_units PUBLIC tsb_framework)

add_executable(Tessaboard WIN32 src/app/main.cpp resources/Tessaboard.rc)
target_link_libraries(Tessaboard PRIVATE tsb_units)
set_source_files_properties(resources/Tessaboard.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/Tessaboard.manifest;${CMAKE_SOURCE_DIR}/resources/working.bmp;${CMAKE_SOURCE_DIR}/resources/logo.bmp;${CMAKE_SOURCE_DIR}/resources/working150.bmp;${CMAKE_SOURCE_DIR}/resources/logo150.bmp;${CMAKE_SOURCE_DIR}/resources/working200.bmp;${CMAKE_SOURCE_DIR}/resources/logo200.bmp")

# Tests
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB TSB_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(tsb_unit_tests ${TSB_UNIT_TESTS})
target_link_libraries(tsb_unit_tests PRIVATE tsb_core gtest_main)

file(GLOB TSB_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp ${CMAKE_SOURCE_DIR}/tests/win/*/*.cpp
     ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_executable(tsb_win_tests ${TSB_WIN_TESTS} resources/Tessaboard.rc)
target_include_directories(tsb_win_tests PRIVATE tests)
target_link_libraries(tsb_win_tests PRIVATE tsb_units gtest_main)

file(GLOB TSB_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp ${CMAKE_SOURCE_DIR}/tests/support/*.cpp
     ${CMAKE_SOURCE_DIR}/tests/win/PictureFiles.cpp)
add_executable(tsb_e2e_tests ${TSB_E2E_TESTS} resources/Tessaboard.rc)  # the program's code page: names in any script
target_include_directories(tsb_e2e_tests PRIVATE tests)
target_link_libraries(tsb_e2e_tests PRIVATE tsb_units gtest_main)  # tsb_units: the picture files' encoders
# Loaded into the program by a window hook, to read the popup menu it shows.
add_library(tsb_menuprobe SHARED tests/tools/menuprobe.cpp)
set_target_properties(tsb_menuprobe PROPERTIES PREFIX "")
target_link_options(tsb_menuprobe PRIVATE -Wl,--kill-at)  # the hook by its plain name on both targets
target_link_libraries(tsb_menuprobe PRIVATE user32)
add_dependencies(tsb_e2e_tests tsb_menuprobe)

# A small target program for launch tests: records its arguments and working folder.
add_executable(tsb_marker tests/tools/marker.cpp)
target_link_libraries(tsb_marker PRIVATE shell32)
add_executable(tsb_mklink tests/tools/mklink.cpp)
target_link_libraries(tsb_mklink PRIVATE ole32 uuid)
# The demo's headless screenshot, taken once the menu is really on screen.
add_executable(tsb_demo_shot tests/tools/demo_shot.cpp tests/support/Driver.cpp)
target_include_directories(tsb_demo_shot PRIVATE tests)
target_link_libraries(tsb_demo_shot PRIVATE ole32 uuid gdi32 user32)

# A long run of the real program outside the suites (scripts/soak): its resources sampled from outside.
add_executable(tsb_soak tests/soak/soak.cpp tests/support/Driver.cpp tests/support/MainWindow.cpp)
target_include_directories(tsb_soak PRIVATE tests)
target_link_libraries(tsb_soak PRIVATE ole32 uuid gdi32 user32 psapi)
add_dependencies(tsb_soak Tessaboard tsb_marker)

# Measures page loading and display against their floors.
add_executable(tsb_bench_pages tests/bench/bench_pages.cpp resources/Tessaboard.rc)
target_include_directories(tsb_bench_pages PRIVATE tests)  # the tests' view of the main window
target_link_libraries(tsb_bench_pages PRIVATE tsb_units psapi)
# Measures how the menu follows changes on disk.
add_executable(tsb_bench_monitor tests/bench/bench_monitor.cpp resources/Tessaboard.rc)
target_include_directories(tsb_bench_monitor PRIVATE tests)  # the in-process tests' pump
target_link_libraries(tsb_bench_monitor PRIVATE tsb_units)
# Measures thumbnails of a page of 12-megapixel photos against decoding alone.
add_executable(tsb_bench_thumbnails tests/bench/bench_thumbnails.cpp tests/win/PictureFiles.cpp tests/support/Driver.cpp
               resources/Tessaboard.rc)
target_include_directories(tsb_bench_thumbnails PRIVATE tests)
target_link_libraries(tsb_bench_thumbnails PRIVATE tsb_units)
# Measures a bulk creation of shortcuts and a search across pages against their floors.
add_executable(tsb_bench_creation tests/bench/bench_creation.cpp resources/Tessaboard.rc)
target_link_libraries(tsb_bench_creation PRIVATE tsb_units)
