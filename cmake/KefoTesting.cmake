# kefo_add_test(NAME SOURCES src... [LIBS lib...] [LABELS label...])
#
# Builds one GoogleTest executable and registers its cases with CTest in the
# same step, so nothing is built without being run. Discovery happens when the
# tests run (PRE_TEST), which keeps Wine out of the build.
#
# Which Windows configuration runs the Windows-side tests is decided here and
# nowhere else: the win32 build, on the shipped 32-bit files under Wine's
# WoW64 mode (scripts/wine-run picks that loader for a 32-bit program), on a
# machine that runs 32-bit code; the win64 build on one that cannot
# (KEFO_WOW64 OFF). In the other configuration the executable is still defined
# (so callers may add dependencies to it) but left out of the build and of
# CTest.
include(GoogleTest)

if(KEFO_WINDOWS)
  if(NOT DEFINED KEFO_WOW64)
    # Ask the machine once: some kernels offer no 32-bit code segment, and
    # there every 32-bit process dies at its first instruction.
    execute_process(
      COMMAND bash -c "source '${PROJECT_SOURCE_DIR}/scripts/lib/wine.sh' && kefo_wow64_works"
      RESULT_VARIABLE wow64_probe OUTPUT_QUIET ERROR_QUIET)
    if(wow64_probe EQUAL 0)
      set(wow64_default ON)
    else()
      set(wow64_default OFF)
    endif()
    set(KEFO_WOW64 ${wow64_default} CACHE BOOL
        "This machine runs 32-bit Windows programs under Wine (WoW64 mode)")
  endif()
  if(KEFO_WIN32 AND NOT KEFO_WOW64)
    message(STATUS "KEFO_WOW64 is OFF: the Windows-side tests run on the win64 build")
  endif()
endif()

if(NOT TARGET GTest::gtest_main)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  # Debian's googletest package installs the sources; build them with the
  # configuration's own compiler (the cross compiler for the Windows builds).
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

enable_testing()

# Whether this configuration runs the Windows-side tests.
set(KEFO_RUNS_WINDOWS_TESTS OFF)
if((KEFO_WIN32 AND KEFO_WOW64) OR (KEFO_WIN64 AND NOT KEFO_WOW64))
  set(KEFO_RUNS_WINDOWS_TESTS ON)
endif()

function(kefo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  set(labels ${ARG_LABELS})
  if(KEFO_WINDOWS)
    if(NOT KEFO_RUNS_WINDOWS_TESTS)
      set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL ON)
      return()
    endif()
    list(APPEND labels wine)
  endif()
  set(properties TIMEOUT 300)
  if(labels)
    list(APPEND properties LABELS "${labels}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES ${properties})
endfunction()
