# The built type library, loaded by the system's own loader and compared with the contract.
add_executable(typelib_test ${CMAKE_CURRENT_LIST_DIR}/typelib_test.cpp)
target_link_libraries(typelib_test PRIVATE apparata_contract GTest::gtest oleaut32 ole32)
target_include_directories(typelib_test PRIVATE ${PROJECT_SOURCE_DIR})

# The test runs under Wine, whose drive Z: is the Unix root.
string(REPLACE "/" "\\" apparata_tlb_windows_path "Z:${APPARATA_TLB}")
add_test(NAME typelib COMMAND typelib_test ${apparata_tlb_windows_path})
