# kefo_add_test(NAME SOURCES src... [LIBS lib...] [LABELS label...])
#
# Builds one GoogleTest executable and registers its cases with CTest in the
# same step, so nothing is built without being run. Discovery happens when the
# tests run (PRE_TEST), which keeps Wine out of the build in the win64 case.
include(GoogleTest)

if(NOT KEFO_WIN32 AND NOT TARGET GTest::gtest_main)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  # Debian's googletest package installs the sources; build them with the
  # configuration's own compiler (the cross compiler for win64).
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

enable_testing()

function(kefo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  set(labels ${ARG_LABELS})
  if(KEFO_WIN64)
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
