# The Win32 realization of the toolkit model: the windows, menus, timers and message boxes it
# makes, checked under Wine's null display driver.
add_executable(win32_toolkit_test ${CMAKE_CURRENT_LIST_DIR}/win32_toolkit_test.cpp)
target_compile_definitions(win32_toolkit_test PRIVATE NOMINMAX)
target_link_libraries(win32_toolkit_test PRIVATE apparata_toolkit_win32 apparata_terminal gtest_main)
add_test(NAME win32_toolkit COMMAND win32_toolkit_test)
# Every wait in the tests is bounded; this only stops a run that hangs in spite of that.
set_tests_properties(win32_toolkit PROPERTIES TIMEOUT 180)

# The driver layer's messages read from a module's string table (a translated one of the test's).
add_executable(win32_messages_test ${CMAKE_CURRENT_LIST_DIR}/win32_messages_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_messages_test.rc)
target_include_directories(win32_messages_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(win32_messages_test PRIVATE apparata_hpib_win32 apparata_headless gtest_main)
add_test(NAME win32_messages COMMAND win32_messages_test)
