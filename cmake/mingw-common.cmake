# The -posix compilers: GoogleTest needs std::mutex, which the win32-thread ones lack.
set(CMAKE_C_COMPILER ${APPARATA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${APPARATA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${APPARATA_MINGW_TRIPLE}-windres)
set(APPARATA_WIDL ${APPARATA_MINGW_TRIPLE}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${APPARATA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Static runtime: a DLL that needs libgcc_s_dw2-1.dll fails to load in regsvr32.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
