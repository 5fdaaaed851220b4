# The control library itself, Apparata.ocx as built, under Wine: registration with regsvr32
# and the exports, a control through every interface it offers, the measurement cycle in
# debug mode, and hosting in the system's ATL container. Each program gets the server's path;
# each registers the server, so none runs beside another (RESOURCE_LOCK registry).

function(apparata_server_test name)
  add_executable(server_${name}_test ${CMAKE_CURRENT_LIST_DIR}/server_test_${name}.cpp)
  target_include_directories(server_${name}_test PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(server_${name}_test PRIVATE
    apparata_contract GTest::gtest ${ARGN} ole32 oleaut32 uuid user32 gdi32 advapi32)
  add_dependencies(server_${name}_test Apparata)
  # Drive Z: of the prefix is the Unix root; the tests turn the slashes round.
  add_test(NAME server_${name} COMMAND server_${name}_test "Z:$<TARGET_FILE:Apparata>")
  # Every wait in the tests is bounded; this only ends a run that hangs in spite of that.
  set_tests_properties(server_${name} PROPERTIES RESOURCE_LOCK registry TIMEOUT 300)
endfunction()

apparata_server_test(registration apparata_hpib version)
apparata_server_test(control)
apparata_server_test(cycle)
apparata_server_test(host)
apparata_server_test(apartments)
apparata_server_test(failures)
apparata_server_test(hp4191)
apparata_server_test(e712)
include(${PROJECT_SOURCE_DIR}/tests/fake_visa/fake_visa.cmake)
apparata_server_test(visa)
add_dependencies(server_visa_test fake_visa)
apparata_server_test(lifetime psapi)
apparata_server_test(hostile)
set_tests_properties(server_lifetime PROPERTIES TIMEOUT 900)

# A lab host's load, once in debug mode and once on the simulated bench: the program runs the
# load and each class alone as children of its own, about four windows of 10 s in all. Each child
# ends itself when a phase overruns its bound; the timeout covers all their bounds.
add_executable(server_load_test ${CMAKE_CURRENT_LIST_DIR}/server_test_load.cpp)
target_include_directories(server_load_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(server_load_test PRIVATE apparata_contract GTest::gtest ole32 oleaut32 uuid user32 advapi32)
add_dependencies(server_load_test Apparata)
foreach(mode debug sim)
  add_test(NAME server_load_${mode}
           COMMAND server_load_test "Z:$<TARGET_FILE:Apparata>" --mode=${mode} --seconds=10)
  set_tests_properties(server_load_${mode} PROPERTIES RESOURCE_LOCK registry TIMEOUT 700)
endforeach()

# Run apart, in a prefix of its own where no window can be made: tests/com/run-no-window-test.
add_executable(server_no_window_test ${CMAKE_CURRENT_LIST_DIR}/server_test_no_window.cpp)
target_include_directories(server_no_window_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(server_no_window_test PRIVATE apparata_contract GTest::gtest ole32 oleaut32 uuid user32 advapi32)
add_dependencies(server_no_window_test Apparata)
