# Tests of the rig simulator: the radio models and the front panel alone, the server and the
# program on real pseudo-terminals, and Hamlib's rigctl and flrig driving every model.
ovx2_add_test(tst_rig_model SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/tst_rig_model.cpp
              LIBS ovx2_rigsim)
ovx2_add_test(tst_front_panel SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/tst_front_panel.cpp
              LIBS ovx2_rigsim)

foreach(name rigsim hamlib_rigsim)
    ovx2_add_test(tst_${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_${name}.cpp
                  LIBS ovx2_rigsim Qt6::SerialPort)
    target_compile_definitions(tst_${name} PRIVATE OVX2_RIGSIM_EXE="$<TARGET_FILE:ovx2-rigsim>")
    add_dependencies(tst_${name} ovx2-rigsim)
endforeach()

# flrig under a display of its own: a few seconds per model.
ovx2_add_test(tst_flrig_rigsim SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_flrig_rigsim.cpp
              LIBS Qt6::Network)
target_compile_definitions(tst_flrig_rigsim PRIVATE OVX2_RIGSIM_EXE="$<TARGET_FILE:ovx2-rigsim>")
add_dependencies(tst_flrig_rigsim ovx2-rigsim)
set_tests_properties(tst_flrig_rigsim PROPERTIES TIMEOUT 600)

# The Icom radios over CI-V: the models alone, and Hamlib's rigctl driving each of them.
ovx2_add_test(tst_icom_model SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/tst_icom_model.cpp
              LIBS ovx2_rigsim)
ovx2_add_test(tst_icom_rigsim SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_icom_rigsim.cpp)
target_compile_definitions(tst_icom_rigsim PRIVATE OVX2_RIGSIM_EXE="$<TARGET_FILE:ovx2-rigsim>")
add_dependencies(tst_icom_rigsim ovx2-rigsim)
