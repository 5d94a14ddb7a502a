# Tests of the rig simulator: the model alone, and the server on real pseudo-terminals.
ovx2_add_test(tst_rig_model SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/tst_rig_model.cpp
              LIBS ovx2_rigsim)

ovx2_add_test(tst_rigsim SOURCES ${CMAKE_CURRENT_LIST_DIR}/system/tst_rigsim.cpp
              LIBS ovx2_rigsim Qt6::SerialPort)
target_compile_definitions(tst_rigsim PRIVATE OVX2_RIGSIM_EXE="$<TARGET_FILE:ovx2-rigsim>")
add_dependencies(tst_rigsim ovx2-rigsim)
