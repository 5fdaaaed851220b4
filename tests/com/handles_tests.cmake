# The owner template of the Windows side's handles.
add_executable(handles_test ${CMAKE_CURRENT_LIST_DIR}/handles_test.cpp)
target_include_directories(handles_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(handles_test PRIVATE gtest_main)
add_test(NAME handles COMMAND handles_test)
