# Windows 64-bit, for 64-bit hosts; built with mingw-w64, tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(APPARATA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/WineTools.cmake)
set(APPARATA_WIDL_FLAGS --win64 -L ${APPARATA_WINE_TLB_DIR_X86_64})
set(CMAKE_CROSSCOMPILING_EMULATOR ${APPARATA_WINE64})
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
