# libFuzzer targets over the OS-free logic, one per tests/fuzz/<name>_fuzz.cpp (clang only).
# The library is instrumented for coverage too, so the fuzzer can steer into it.
set(TSB_FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(tsb_core PRIVATE -fsanitize=fuzzer-no-link ${TSB_FUZZ_SANITIZERS})
file(GLOB TSB_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
foreach(source ${TSB_FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${TSB_FUZZ_SANITIZERS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer ${TSB_FUZZ_SANITIZERS})
  target_link_libraries(${name} PRIVATE tsb_core)
endforeach()
