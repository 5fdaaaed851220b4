# The built type library, loaded by the system's own loader and compared with the contract.
add_executable(typelib_test ${CMAKE_CURRENT_LIST_DIR}/typelib_test.cpp)
target_link_libraries(typelib_test PRIVATE apparata_contract GTest::gtest oleaut32 ole32)
target_include_directories(typelib_test PRIVATE ${PROJECT_SOURCE_DIR})

# The test runs under Wine, whose drive Z: is the Unix root.
string(REPLACE "/" "\\" apparata_tlb_windows_path "Z:${APPARATA_TLB}")
add_test(NAME typelib COMMAND typelib_test ${apparata_tlb_windows_path})

# Run again over its own output, the post-processing finds the field already changed and stops
# the build rather than write where widl's layout is not what it expects. CMake wraps the message
# where the path's length puts the line's end.
add_test(NAME typelib.post_processing_refuses
         COMMAND ${CMAKE_COMMAND} -D APPARATA_TLB=${APPARATA_TLB} -P ${PROJECT_SOURCE_DIR}/framework/typelib.cmake)
set_tests_properties(typelib.post_processing_refuses PROPERTIES
  PASS_REGULAR_EXPRESSION "version[ \n]+word[ \n]+is[ \n]+1,")
