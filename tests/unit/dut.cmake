# Unit tests of the DUT bus settings, the printer pins and raw ports, and the
# device model.
add_executable(dut_unit_tests
  ${CMAKE_CURRENT_LIST_DIR}/dut_settings_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pins_ports_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dut_model_test.cpp
)
target_link_libraries(dut_unit_tests PRIVATE olvbus_core olvbus_sim GTest::gtest_main)
olvbus_warnings(dut_unit_tests)
gtest_discover_tests(dut_unit_tests NO_PRETTY_VALUES PROPERTIES LABELS unit)
