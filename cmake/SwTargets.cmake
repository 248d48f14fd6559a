# Helpers that give every target of ours the same warnings, sanitizers and layout.

set(SW_WARNINGS
    -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual
    -Wformat=2 -Wimplicit-fallthrough -Wmissing-declarations -Wundef -Wpointer-arith
    -Wold-style-cast -Wsuggest-override -Wzero-as-null-pointer-constant)
if(SW_WERROR)
  list(APPEND SW_WARNINGS -Werror)
endif()

if(SW_SANITIZE)
  set(SW_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
                         -fno-sanitize-recover=undefined)
  add_compile_options(${SW_SANITIZER_FLAGS})
  add_link_options(${SW_SANITIZER_FLAGS})
  # Instrument the libraries too, so the fuzz targets are guided by coverage of our code.
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
endif()

if(CMAKE_CROSSCOMPILING_EMULATOR)
  # The Wine prefix the tests run in; make test-windows creates it before the first test.
  set(SW_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix of the tests")
endif()

# No GoogleTest package exists for a cross target: build Debian's source package with the
# cross compiler (GTest::gtest and GTest::gtest_main, as the package's config names them).
macro(sw_add_cross_gtest)
  set(SW_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${SW_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endmacro()

# Apply our warning set to a target; text is never converted from or to 8-bit strings
# behind the code's back (every such conversion names its encoding).
function(sw_apply_warnings target)
  target_compile_options(${target} PRIVATE ${SW_WARNINGS})
  target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
endfunction()

# Tests and benchmarks also learn where the sources and the document corpus are.
function(sw_apply_test_settings target)
  sw_apply_warnings(${target})
  target_compile_definitions(${target} PRIVATE SW_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                               SW_CORPUS_DIR="${SW_CORPUS_DIR}")
endfunction()

# sw_add_library(name SOURCES ... LIBS ...): one static library for one folder.
function(sw_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  sw_apply_warnings(${name})
endfunction()

# A test run through an emulator (Wine) passes only when GoogleTest's summary line shows and no
# test failed: a program the emulator cannot start may end with status 0 and no output at all.
# cmake/wine-run.sh prints any other exit status, so a crash after the summary still fails.
function(sw_judge_by_output name)
  set_tests_properties(${name} PROPERTIES
                       PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\.;Totals: [0-9]+ passed, 0 failed"
                       FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];wine-run: exit status;Totals: [0-9]+ passed, [1-9]")
  if(SW_WINEPREFIX)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "WINEPREFIX=${SW_WINEPREFIX}")
  endif()
endfunction()

# In a cross-build, a test that reads its results back with the Linux host's tools (the Python
# readers under /usr/bin/python3, through the oracle headers) is left out: the host's programs
# cannot open the emulated program's paths. Sets SW_HOST_TOOLS in the caller.
set(SW_HOST_TOOL_PATTERN "python3|openpyxlreader\\.h|xlsoracle\\.h|endtoendfixture\\.h|updatetestdata\\.h")
macro(sw_needs_host_tools)
  set(SW_HOST_TOOLS FALSE)
  foreach(source ${ARGN})
    get_filename_component(source ${source} ABSOLUTE ${CMAKE_CURRENT_SOURCE_DIR})
    file(STRINGS ${source} found REGEX "${SW_HOST_TOOL_PATTERN}" LIMIT_COUNT 1)
    if(found)
      set(SW_HOST_TOOLS TRUE)
    endif()
  endforeach()
endmacro()

# sw_add_gtest(name SOURCES ... LIBS ... [LABELS ...]): a GoogleTest executable run by ctest
# from the repository root, so tests reach ../shared/corpus by relative path.
function(sw_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    sw_needs_host_tools(${ARG_SOURCES})
    if(SW_HOST_TOOLS)
      return()
    endif()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  sw_apply_test_settings(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(CMAKE_CROSSCOMPILING AND "sw_app" IN_LIST ARG_LIBS)
    sw_link_qt_plugins(${name} TESTS)
  endif()
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SW_BUILD_DIR=${CMAKE_BINARY_DIR}")
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    sw_judge_by_output(${name})
  endif()
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# sw_add_benchmark(name SOURCES ... LIBS ...): a Google Benchmark executable (not run by ctest).
function(sw_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
  sw_apply_test_settings(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/benchmarks)
endfunction()

# sw_add_fuzzer(name SOURCES ... LIBS ... SEEDS dir... [SECONDS n] [DICT file]): a libFuzzer
# target, built only in the sanitizer configuration with clang, and run briefly by ctest (label
# "fuzz") on the seed folders, with the dictionary of its format's tokens when given (a file
# beside the target). SW_FUZZ_SECONDS, when set, replaces every target's SECONDS (make fuzz).
function(sw_add_fuzzer name)
  cmake_parse_arguments(ARG "" "SECONDS;DICT" "SOURCES;LIBS;SEEDS" ${ARGN})
  if(NOT SW_SANITIZE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  if(SW_FUZZ_SECONDS)
    set(ARG_SECONDS ${SW_FUZZ_SECONDS})
  elseif(NOT ARG_SECONDS)
    set(ARG_SECONDS 30)
  endif()
  set(dictionary)
  if(ARG_DICT)
    set(dictionary -dict=${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DICT})
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  sw_apply_test_settings(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  set_property(GLOBAL APPEND PROPERTY SW_FUZZERS ${name})
  set(work ${CMAKE_BINARY_DIR}/fuzz/${name}.corpus)
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                   ${CMAKE_BINARY_DIR}/fuzz/${name} -max_total_time=${ARG_SECONDS} -rss_limit_mb=2048
                   -timeout=10 -print_final_stats=0 ${dictionary} ${work} ${ARG_SEEDS}
           WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  file(MAKE_DIRECTORY ${work})
  math(EXPR limit "${ARG_SECONDS} + 240")
  set_tests_properties(${name} PROPERTIES TIMEOUT ${limit} LABELS fuzz)
endfunction()

# sw_add_gtest_folder(LIBS ... [POSIX_ONLY name...]): one GoogleTest executable per test_*.cpp
# in the calling folder, each named after its file (names are unique across the whole tree).
# A test_*_win.cpp is built for Windows only; the tests named in POSIX_ONLY (their Windows
# twins are the _win files) everywhere else.
function(sw_add_gtest_folder)
  cmake_parse_arguments(ARG "" "" "LIBS;POSIX_ONLY" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  foreach(test_source IN LISTS tests)
    get_filename_component(test_name ${test_source} NAME_WE)
    if(WIN32 AND test_name IN_LIST ARG_POSIX_ONLY)
      continue()
    endif()
    if(NOT WIN32 AND test_name MATCHES "_win$")
      continue()
    endif()
    sw_add_gtest(${test_name} SOURCES ${test_source} LIBS ${ARG_LIBS})
  endforeach()
endfunction()

# sw_test_uses(test lib...): libraries one test of a folder needs beside the folder's own, such
# as another reader taken as the reference or the loader that chooses the reader. The
# cross-build leaves out tests that read results with the host's Python, so the test may have
# no target there.
function(sw_test_uses name)
  if(TARGET ${name})
    target_link_libraries(${name} PRIVATE ${ARGN})
  endif()
endfunction()

# The .cpp files of the calling folder (not its subfolders), for sw_add_library.
function(sw_folder_sources out)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(${out} ${sources} PARENT_SCOPE)
endfunction()
