# System tests: the real window offscreen, real pseudo-terminals, the simulator as the rig.
foreach(name rig_connection rig_link bad_input station_programs shell)
    ovx2_add_test(tst_${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_${name}.cpp
                  LIBS ovx2_testsupport ovx2_rigsim)
endforeach()
