# Test, benchmark and fuzzer helpers. The same test sources build natively and for Windows; in
# the Windows build CTest runs them under Wine through CMAKE_CROSSCOMPILING_EMULATOR.

# Test names carry the build they come from, since one CTest run covers both trees.
if(CMAKE_CROSSCOMPILING)
  set(PIXMATE_TEST_LABEL win32)
else()
  set(PIXMATE_TEST_LABEL native)
endif()
set(PIXMATE_TEST_PREFIX "${PIXMATE_TEST_LABEL}:")

# pixmate_add_gtest(<name> SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s] [NATIVE_ONLY]
#                   [WIN32_ONLY] [ENVIRONMENT k=v ...])
function(pixmate_add_gtest name)
  cmake_parse_arguments(arg "NATIVE_ONLY;WIN32_ONLY;NO_MAIN" "TIMEOUT"
                        "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  if(arg_NATIVE_ONLY AND CMAKE_CROSSCOMPILING)
    return()
  endif()
  if(arg_WIN32_ONLY AND NOT CMAKE_CROSSCOMPILING)
    return()
  endif()
  add_executable(${name} ${arg_SOURCES})
  if(arg_NO_MAIN)
    target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  set(test ${PIXMATE_TEST_PREFIX}${name})
  add_test(NAME ${test} COMMAND ${name})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 300)
  endif()
  set_tests_properties(${test} PROPERTIES LABELS "${PIXMATE_TEST_LABEL};${arg_LABELS}"
                                          TIMEOUT ${arg_TIMEOUT})
  if(arg_ENVIRONMENT)
    set_tests_properties(${test} PROPERTIES ENVIRONMENT "${arg_ENVIRONMENT}")
  endif()
endfunction()

# pixmate_add_benchmark(<name> SOURCES ... [LIBS ...]): built in native builds only, never run by
# CTest (figures are reported, not asserted).
function(pixmate_add_benchmark name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  if(CMAKE_CROSSCOMPILING OR NOT PIXMATE_BENCHMARKS)
    return()
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} benchmark::benchmark)
endfunction()

# pixmate_add_fuzzer(<name> SOURCES ... [LIBS ...] [CORPUS dir])
# With PIXMATE_FUZZ (clang) this is a libFuzzer program. Otherwise, in native builds, the same
# entry point is linked with a driver that replays the committed corpus once, as a regression
# test (under the sanitizers when PIXMATE_SANITIZE is on).
function(pixmate_add_fuzzer name)
  cmake_parse_arguments(arg "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    return()
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS})
  if(PIXMATE_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/fuzz_replay_main.cpp)
    if(arg_CORPUS)
      add_test(NAME ${PIXMATE_TEST_PREFIX}${name}-replay COMMAND ${name} ${arg_CORPUS})
      set_tests_properties(${PIXMATE_TEST_PREFIX}${name}-replay
                           PROPERTIES LABELS "${PIXMATE_TEST_LABEL};fuzz-replay")
    endif()
  endif()
endfunction()
