# The -posix thread model gives std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${KEFO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KEFO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KEFO_MINGW_TRIPLET}-windres)
set(CMAKE_OBJDUMP ${KEFO_MINGW_TRIPLET}-objdump CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/${KEFO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test executables run through the project's Wine wrapper, which picks the
# WoW64 loader for 32-bit programs.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run)
