# Unattended work through COM under Wine: the user's settings Errors and Log on the simulated
# bench. The program sets the user's values and registers the server for its children, so it
# runs beside no other (RESOURCE_LOCK registry). Each case is a test of its own, 1 to 45 s on a
# 2-core machine; each child ends within its own bound (60 to 120 s), which the timeout covers.
add_executable(server_unattended_test ${CMAKE_CURRENT_LIST_DIR}/server_test_unattended.cpp)
target_include_directories(server_unattended_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(server_unattended_test PRIVATE
  apparata_contract GTest::gtest ole32 oleaut32 uuid user32 gdi32 advapi32)
add_dependencies(server_unattended_test Apparata fake_visa)
foreach(case_and_bound
        LostRepliesGoToTheLogAndFreeRunningGoesOnWithoutABox:180
        AnAbsentInstrumentBacksOffAndTheOneThereKeepsItsPace:150
        WithoutTheSettingALostReplyShowsItsBoxAndEndsFreeRunning:90
        UnderTheSettingAMenuClickThatFailsStillShowsItsBox:90
        ASweepLosingRepliesReachesItsLimitUnderErrorsLogAndEndsAtTheFirstUnderLogAlone:200
        TwoProcessesAppendWholeRowsToOneLog:150
        ALogThatCannotBeWrittenIsSaidWhenItBeginsAndMeasuringGoesOn:90
        InDebugModeTheLogSaysWhyFirstAndMarksEveryReadingSimulated:90
        RowsHeldWhileTheLogIsHeldElsewhereAreWrittenInOrderOnceItIsFree:120
        OnlyALogIsAppendedToAnotherProgramsFileStaysAsItIs:120
        OddSettingValuesAreReadOrSaidInTheLog:150
        ATraceRecordedOnEachBackEndReplaysToTheSameRows:400
        AnUnreadableTraceIsRefusedWithItsLineNamed:150)
  string(REPLACE ":" ";" case_and_bound ${case_and_bound})
  list(GET case_and_bound 0 case)
  list(GET case_and_bound 1 bound)
  add_test(NAME server_unattended_${case}
           COMMAND server_unattended_test "Z:$<TARGET_FILE:Apparata>" --gtest_filter=Unattended.${case})
  set_tests_properties(server_unattended_${case} PROPERTIES RESOURCE_LOCK registry TIMEOUT ${bound})
endforeach()
