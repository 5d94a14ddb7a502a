# Tests of the rig simulator: the radio models and the front panel alone, the server and the
# program on real pseudo-terminals, and Hamlib's rigctl and flrig driving every model.
foreach(name rig_model front_panel)
    ovx2_add_test(tst_${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/tst_${name}.cpp
                  LIBS ovx2_rigsim LABEL unit)
endforeach()

foreach(run "rigsim;system" "hamlib_rigsim;interop" "flrig_rigsim;interop")
    list(GET run 0 name)
    list(GET run 1 label)
    ovx2_add_test(tst_${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_${name}.cpp
                  LIBS ovx2_rigsim Qt6::SerialPort Qt6::Network LABEL ${label})
    target_compile_definitions(tst_${name} PRIVATE OVX2_RIGSIM_EXE="$<TARGET_FILE:ovx2-rigsim>")
    add_dependencies(tst_${name} ovx2-rigsim)
endforeach()
# flrig under a display of its own: a few seconds per model.
set_tests_properties(tst_flrig_rigsim PROPERTIES TIMEOUT 600)

# The Icom radios over CI-V, the models alone (Hamlib drives them in tst_hamlib_rigsim).
ovx2_add_test(tst_icom_model SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/tst_icom_model.cpp
              LIBS ovx2_rigsim LABEL unit)
