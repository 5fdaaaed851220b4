# Windows 32-bit (the primary target), built with mingw-w64; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(APPARATA_MINGW_TRIPLE i686-w64-mingw32)
set(APPARATA_WIDL_FLAGS --win32 -L /usr/lib/i386-linux-gnu/wine/i386-windows)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
