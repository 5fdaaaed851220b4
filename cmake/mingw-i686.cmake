# Windows 32-bit (the primary target), built with mingw-w64; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(APPARATA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/WineTools.cmake)
set(APPARATA_WIDL_FLAGS --win32 -L ${APPARATA_WINE_TLB_DIR_I686})
set(CMAKE_CROSSCOMPILING_EMULATOR ${APPARATA_WINE32})
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
