# The bus check under Wine, over the tests' VISA library and over bench files. It changes the
# user's settings and the system folder's VISA library, so it runs alone (RESOURCE_LOCK registry).
add_executable(check_test ${CMAKE_CURRENT_LIST_DIR}/check_test.cpp)
target_include_directories(check_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(check_test PRIVATE GTest::gtest ole32 oleaut32 uuid user32 advapi32)
add_dependencies(check_test apparata_check fake_visa Apparata)
add_test(NAME check COMMAND check_test "Z:$<TARGET_FILE:apparata_check>" "Z:$<TARGET_FILE:Apparata>")
set_tests_properties(check PROPERTIES RESOURCE_LOCK registry TIMEOUT 300)
