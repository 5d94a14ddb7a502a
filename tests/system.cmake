# System tests: the real window offscreen, real pseudo-terminals, the simulator as the rig.
foreach(name rig_connection rig_link bad_input station_programs shell)
    ovx2_add_test(tst_${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_${name}.cpp
                  LIBS ovx2_testsupport ovx2_rigsim)
endforeach()

# The real executables, as a user starts them.
ovx2_add_test(tst_startup_process SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_startup_process.cpp
              LIBS ovx2_testsupport)
target_compile_definitions(tst_startup_process PRIVATE OVX2_EXE="$<TARGET_FILE:ovx2>"
                                                       OVX2_RIGSIM_EXE="$<TARGET_FILE:ovx2-rigsim>")
add_dependencies(tst_startup_process ovx2 ovx2-rigsim)
