# The DUT bus end to end: the library, the simulated PC and a device model on
# the connector; and the waveform of a cycle.
add_executable(dut_integration_tests
  ${CMAKE_CURRENT_LIST_DIR}/dut_cycles_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dut_waveform_test.cpp
)
target_link_libraries(dut_integration_tests PRIVATE olvbus_core olvbus_sim GTest::gtest_main)
olvbus_warnings(dut_integration_tests)
gtest_discover_tests(dut_integration_tests PROPERTIES LABELS integration)
