# Drawing on Windows: the LED from its bitmap resources, glyph buttons, gauges and key handlers,
# read back as pixels and messages under Wine's null display driver.
add_executable(win32_drawing_test ${CMAKE_CURRENT_LIST_DIR}/win32_drawing_test.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/win32_drawing_test.rc)
target_compile_definitions(win32_drawing_test PRIVATE NOMINMAX)
target_include_directories(win32_drawing_test PRIVATE ${APPARATA_PICTURES_DIR})
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/win32_drawing_test.rc PROPERTIES
  OBJECT_DEPENDS "${APPARATA_PICTURE_FILES}")
add_dependencies(win32_drawing_test apparata_picture_files)
target_link_libraries(win32_drawing_test PRIVATE apparata_widgets apparata_toolkit_win32 apparata_pictures gtest_main)
add_test(NAME win32_drawing COMMAND win32_drawing_test)
# Every wait in the tests is bounded; this only stops a run that hangs in spite of that.
set_tests_properties(win32_drawing PROPERTIES TIMEOUT 120)
