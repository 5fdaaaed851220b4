# The tests' VISA library, named as the system's own would be for this architecture; the tests
# install it in the prefix's system folder and remove it again. Its 32-bit entries are exported
# by their plain names, as VISA libraries export them (--kill-at).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(fake_visa_name visa64)
else()
  set(fake_visa_name visa32)
endif()
add_library(fake_visa SHARED ${CMAKE_CURRENT_LIST_DIR}/FakeVisa.cpp ${CMAKE_CURRENT_LIST_DIR}/FakeVisaLibrary.cpp)
set_target_properties(fake_visa PROPERTIES
  PREFIX "" OUTPUT_NAME ${fake_visa_name} RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/fake_visa)
target_include_directories(fake_visa PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(fake_visa PRIVATE apparata_hpib)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_link_options(fake_visa PRIVATE -Wl,--kill-at)
endif()
