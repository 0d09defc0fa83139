# Which of the three configurations this is, and the flags every target shares.
#   KEFO_NATIVE  Linux g++: portable code, unit tests, benchmarks
#   KEFO_WIN32   i686 MinGW-w64: the shipped release build
#   KEFO_WIN64   x86-64 MinGW-w64: the same sources and the Windows-side tests
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

option(KEFO_WERROR "Treat warnings as errors" OFF)
option(KEFO_SANITIZE "Build with AddressSanitizer and UBSan (native only)" OFF)
option(KEFO_SANITIZE_THREAD "Build with ThreadSanitizer and only the tests of threads (native only)" OFF)
option(KEFO_BENCHMARKS "Build the benchmarks (native only)" OFF)

set(KEFO_NATIVE OFF)
set(KEFO_WIN32 OFF)
set(KEFO_WIN64 OFF)
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(KEFO_NATIVE ON)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KEFO_WIN32 ON)
else()
  set(KEFO_WIN64 ON)
endif()
set(KEFO_WINDOWS ${WIN32})

add_compile_options(-Wall -Wextra)
# Call-site markers and assertions name files relative to the source tree, so
# the shipped files do not carry the folder they were built in (and two builds
# of one commit in different folders are identical).
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
if(KEFO_WERROR)
  add_compile_options(-Werror)
endif()

if(KEFO_WINDOWS)
  enable_language(RC)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE _WIN32_WINNT=0x0601)
  # Shipped binaries import only Windows system DLLs: the C++ runtime,
  # libgcc and winpthread are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(KEFO_WIN32)
  # Audio code in doubles on SSE2 rather than the x87 stack: same results in
  # the 32- and 64-bit builds, and vectorisable loops.
  add_compile_options(-msse2 -mfpmath=sse)
  set(KEFO_OUTPUT_DIR ${CMAKE_SOURCE_DIR}/dist)
elseif(KEFO_WIN64)
  set(KEFO_OUTPUT_DIR ${CMAKE_BINARY_DIR}/bin)
endif()

if(KEFO_WINDOWS)
  # Executables and DLLs of one configuration side by side, so tests and the
  # stand-in host find add-ons next to themselves.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # Where the shipped files are, seen from there (empty when the same folder):
  # hostsim and the tests load the add-ons and the installer from it.
  file(RELATIVE_PATH KEFO_SHIPPED_FROM_BIN ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} ${KEFO_OUTPUT_DIR})
endif()

if(KEFO_NATIVE AND KEFO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
if(KEFO_NATIVE AND KEFO_SANITIZE_THREAD)
  if(KEFO_SANITIZE)
    message(FATAL_ERROR "ThreadSanitizer does not combine with AddressSanitizer: pick one")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# The year of the build date: About boxes and version blocks end their
# copyright lines with it (SOURCE_DATE_EPOCH, when set, makes it reproducible).
string(TIMESTAMP KEFO_BUILD_YEAR "%Y" UTC)
