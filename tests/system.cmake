# System tests: the bridge without a window, real pseudo-terminals, the simulator as the rig.
foreach(name rig_connection rig_link station_programs network_bridge icom_ports)
    ovx2_add_test(tst_${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_${name}.cpp
                  LIBS ovx2_testsupport ovx2_rigsim LABEL system)
endforeach()
# It measures the connection's real waits at the rig: alone, so that no other test's load stretches
# what it measures.
set_tests_properties(tst_rig_connection PROPERTIES RUN_SERIAL TRUE)
# Hamlib's rigctl on the bridge's ports.
ovx2_add_test(tst_hamlib_bridge SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_hamlib_bridge.cpp
              LIBS ovx2_testsupport ovx2_rigsim LABEL interop)
# An Icom behind the bridge through both network doors, with Hamlib's NET rigctl and FLRig clients.
ovx2_add_test(tst_icom_doors SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_icom_doors.cpp
              LIBS ovx2_testsupport ovx2_rigsim LABEL interop)
# Two programs sharing the rig for a minute: run by scripts/bench.
ovx2_add_test(tst_two_programs SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_two_programs.cpp
              LIBS ovx2_testsupport ovx2_rigsim LABEL soak)

# The real executables, as a user starts them.
ovx2_add_test(tst_startup_process SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_startup_process.cpp
              LIBS ovx2_testsupport LABEL system)
target_compile_definitions(tst_startup_process PRIVATE OVX2_EXE="$<TARGET_FILE:ovx2>"
                                                       OVX2_RIGSIM_EXE="$<TARGET_FILE:ovx2-rigsim>")
add_dependencies(tst_startup_process ovx2 ovx2-rigsim)

# The window as a user sees it and as a view of the bridge, at 1x, 1.25x and 2x, and with fonts
# at 120 dpi.
add_executable(tst_window ${CMAKE_CURRENT_LIST_DIR}/system/tst_window.cpp)
target_link_libraries(tst_window PRIVATE Qt6::Test ovx2_testsupport ovx2_rigsim ovx2_window
                                         ovx2_flags)
foreach(run "1x;QT_SCALE_FACTOR=1" "1.25x;QT_SCALE_FACTOR=1.25" "2x;QT_SCALE_FACTOR=2"
            "font_dpi_120;QT_FONT_DPI=120")
    list(GET run 0 tag)
    list(GET run 1 setting)
    add_test(NAME tst_window_${tag} COMMAND tst_window)
    set_tests_properties(tst_window_${tag} PROPERTIES ENVIRONMENT
                         "QT_QPA_PLATFORM=offscreen;${setting}")
    ovx2_label(tst_window_${tag} system)
endforeach()

# flrig, with its own drivers, on the bridge's ports under a display of the test's own.
ovx2_add_test(tst_flrig_bridge SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_flrig_bridge.cpp
              LIBS ovx2_testsupport ovx2_rigsim Qt6::Network LABEL interop)
set_tests_properties(tst_flrig_bridge PROPERTIES TIMEOUT 600)
