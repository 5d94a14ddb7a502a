# D-Bus tests: each runs on a private session bus of its own, never on the desktop's.
add_executable(tst_dbus_items ${CMAKE_CURRENT_LIST_DIR}/system/tst_dbus_items.cpp)
target_link_libraries(tst_dbus_items PRIVATE Qt6::Test Qt6::DBus ovx2_testsupport ovx2_flags)
add_test(NAME tst_dbus_items COMMAND dbus-run-session -- $<TARGET_FILE:tst_dbus_items>)
set_tests_properties(tst_dbus_items PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
ovx2_label(tst_dbus_items system)
