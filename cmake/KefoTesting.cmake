# kefo_add_test(NAME SOURCES src... [LIBS lib...] [LABELS label...] [LOCK resource]
#                [FILTER gtest-filter])
#
# Builds one GoogleTest executable and registers its cases with CTest in the
# same step, so nothing is built without being run. Discovery happens when the
# tests run (PRE_TEST), which keeps Wine out of the build.
#
# The Windows-side tests run in the win32 build, on the shipped 32-bit files,
# on every machine: scripts/wine-run runs each 32-bit program natively in
# Wine's WoW64 mode or emulated, whichever this machine allows
# (scripts/lib/wine.sh). The win64 build compiles the same tests with the
# second compiler and registers none.
include(GoogleTest)

if(NOT TARGET GTest::gtest_main)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  # Debian's googletest package installs the sources; build them with the
  # configuration's own compiler (the cross compiler for the Windows builds).
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

enable_testing()

function(kefo_add_test name)
  cmake_parse_arguments(ARG "" "LOCK;FILTER" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  set(labels ${ARG_LABELS})
  if(KEFO_WINDOWS)
    if(NOT KEFO_WIN32)
      return()
    endif()
    list(APPEND labels wine)
  endif()
  # Room for emulated 32-bit code, about four times slower than native.
  set(properties TIMEOUT 900)
  if(labels)
    list(APPEND properties LABELS "${labels}")
  endif()
  # Tests that share something outside their process (the prefix's registry,
  # fixed temporary folders, the display's focus and active window) never
  # run at the same time under ctest -j: they hold the same lock. (One
  # lock: PRE_TEST discovery passes a list of them on unescaped.)
  if(ARG_LOCK)
    list(APPEND properties RESOURCE_LOCK ${ARG_LOCK})
  endif()
  # FILTER registers only the cases it selects (a --gtest_filter expression).
  set(filter)
  if(ARG_FILTER)
    set(filter TEST_FILTER ${ARG_FILTER})
  endif()
  gtest_discover_tests(${name}
    ${filter}
    DISCOVERY_MODE PRE_TEST
    NO_PRETTY_VALUES
    DISCOVERY_TIMEOUT 600
    PROPERTIES ${properties})
endfunction()
