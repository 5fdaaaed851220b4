# What the build and its tests take from Wine, found by scripts/wine-tools so that the build and
# the scripts use the same Wine: APPARATA_WINE32 and APPARATA_WINE64 (the loaders),
# APPARATA_WINESERVER, APPARATA_WINE_IDL_DIR (the system IDL files) and APPARATA_WINE_TLB_DIR_I686
# and APPARATA_WINE_TLB_DIR_X86_64 (stdole2.tlb's folders, widl's -L).
execute_process(
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-tools
  OUTPUT_VARIABLE apparata_wine_tools ERROR_VARIABLE apparata_wine_missing RESULT_VARIABLE apparata_wine_failed)
if(NOT apparata_wine_failed EQUAL 0)
  message(FATAL_ERROR "Wine is not complete:\n${apparata_wine_missing}")
endif()
string(REGEX MATCHALL "[^\n]+" apparata_wine_tools "${apparata_wine_tools}")
foreach(apparata_wine_line IN LISTS apparata_wine_tools)
  string(REGEX MATCH "^([a-z0-9_]+)=(.*)$" apparata_wine_line "${apparata_wine_line}")
  string(TOUPPER "APPARATA_${CMAKE_MATCH_1}" apparata_wine_name)
  set(${apparata_wine_name} "${CMAKE_MATCH_2}")
endforeach()
