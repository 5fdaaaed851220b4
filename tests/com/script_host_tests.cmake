# The script host under Wine. First the host on small scripts of its own (script_host_test),
# then the .vbs scripts beside this file, each run against the registered library as a script
# writer drives the controls; each script ends with Host.Quit 0 when all its checks hold.
#
# Run as a script (cmake -P), this file registers the built library, or removes it again with
# APPARATA_UNREGISTER set: regsvr32 needs a Windows path, and the library's path is only known
# once the build is generated.
if(CMAKE_SCRIPT_MODE_FILE)
  string(REPLACE "/" "\\" library "Z:${APPARATA_LIBRARY}")
  set(flags /s)
  if(APPARATA_UNREGISTER)
    list(APPEND flags /u)
  endif()
  execute_process(COMMAND ${APPARATA_EMULATOR} regsvr32 ${flags} ${library} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "regsvr32 ${flags} ${library} failed: ${result}")
  endif()
  return()
endif()

add_executable(script_host_test ${CMAKE_CURRENT_LIST_DIR}/script_host_test.cpp)
target_include_directories(script_host_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(script_host_test PRIVATE GTest::gtest ole32 oleaut32 uuid user32 advapi32)

set(apparata_regsvr32 ${CMAKE_COMMAND} -D APPARATA_LIBRARY=$<TARGET_FILE:Apparata>
    -D APPARATA_EMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR})
add_test(NAME script_host.register COMMAND ${apparata_regsvr32} -P ${CMAKE_CURRENT_LIST_FILE})
add_test(NAME script_host.unregister COMMAND ${apparata_regsvr32} -D APPARATA_UNREGISTER=ON -P ${CMAKE_CURRENT_LIST_FILE})
set_tests_properties(script_host.register PROPERTIES FIXTURES_SETUP script_host_registration RESOURCE_LOCK registry)
set_tests_properties(script_host.unregister PROPERTIES FIXTURES_CLEANUP script_host_registration RESOURCE_LOCK registry)

add_test(NAME script_host COMMAND script_host_test $<TARGET_FILE:apparata_scripthost>)
foreach(script properties errors trigger free_run)
  string(REPLACE "/" "\\" script_path "Z:${CMAKE_CURRENT_LIST_DIR}/${script}.vbs")
  add_test(NAME script_host.${script}
           COMMAND apparata_scripthost ${script_path} Meter=Apparata.B740X --timeout 30)
endforeach()
# The examples for users must go on working as their comments say, ending with Quit 0.
function(apparata_example script control)
  string(REPLACE "/" "\\" example_path "Z:${PROJECT_SOURCE_DIR}/examples/vbscript/${script}.vbs")
  add_test(NAME script_host.example_${script} COMMAND apparata_scripthost ${example_path} ${control} --timeout 30)
endfunction()
apparata_example(b740 Meter=Apparata.B740X)
apparata_example(e712 Lcr=Apparata.E712X)
apparata_example(hp4191 Analyzer=Apparata.HP4191X)
set_tests_properties(script_host script_host.properties script_host.errors script_host.trigger
                     script_host.free_run script_host.example_b740 script_host.example_e712
                     script_host.example_hp4191 PROPERTIES
  FIXTURES_REQUIRED script_host_registration RESOURCE_LOCK registry TIMEOUT 120)
