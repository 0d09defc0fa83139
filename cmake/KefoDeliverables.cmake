# kefo_add_addon(TARGET SOURCES src...)
#   An add-on DLL: named exactly as TARGET (no "lib" prefix), exporting an
#   undecorated KEFO_Processing (--kill-at drops the stdcall "@4").
# kefo_ship(TARGET [ALLOW dll,dll...])
#   Marks a target as a shipped file: written to the configuration's output
#   folder (dist/ for win32); in the win32 build stripped, and checked for its
#   imports and exports by tests that read the file with objdump. ALLOW
#   limits the imports to the DLLs named (without ".dll").

function(kefo_add_addon name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -Wl,--kill-at)
endfunction()

function(kefo_ship name)
  cmake_parse_arguments(ARG "" "ALLOW" "" ${ARGN})
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${KEFO_OUTPUT_DIR}
    LIBRARY_OUTPUT_DIRECTORY ${KEFO_OUTPUT_DIR})
  if(KEFO_WIN32)
    # The release carries no symbols or debug sections, and no build time, so
    # two builds of one commit give the same files.
    target_link_options(${name} PRIVATE -s -Wl,--no-insert-timestamp)
    get_target_property(type ${name} TYPE)
    if(type STREQUAL "SHARED_LIBRARY")
      # ld's automatic image base hashes the output path; derive a base from
      # the file name alone, so it does not depend on the build folder and
      # the add-ons still load at distinct addresses.
      string(MD5 hash ${name})
      string(SUBSTRING ${hash} 0 3 hash)
      math(EXPR base "0x61000000 + (0x${hash} % 0x400) * 0x10000" OUTPUT_FORMAT HEXADECIMAL)
      target_link_options(${name} PRIVATE -Wl,--image-base=${base})
    endif()
    set(export_check "")
    if(type STREQUAL "SHARED_LIBRARY")
      set(export_check --export KEFO_Processing)
    endif()
    if(ARG_ALLOW)
      list(APPEND export_check --allow ${ARG_ALLOW})
    endif()
    add_test(NAME shipped.${name}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-binary --objdump ${CMAKE_OBJDUMP}
              ${export_check} $<TARGET_FILE:${name}>)
    set_tests_properties(shipped.${name} PROPERTIES LABELS shipped)
  endif()
endfunction()
