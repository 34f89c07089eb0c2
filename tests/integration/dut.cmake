# The DUT bus end to end: the library, the simulated PC and a device model on
# the connector; and the waveform of a cycle.
add_executable(dut_integration_tests
  ${CMAKE_CURRENT_LIST_DIR}/dut_cycles_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dut_waveform_test.cpp
)
target_link_libraries(dut_integration_tests PRIVATE olvbus_core olvbus_sim GTest::gtest_main)
olvbus_warnings(dut_integration_tests)
gtest_discover_tests(dut_integration_tests NO_PRETTY_VALUES PROPERTIES LABELS integration)

# libolvbus.so with a device and a waveform file configured from the
# environment: the example fails unless every register reads back, and the
# VCD must be complete once the library has unloaded.
if(TARGET dut_session)
  set(dut_session_vcd ${CMAKE_CURRENT_BINARY_DIR}/dut_session.vcd)
  add_test(NAME dut_session_on_the_simulated_board
    COMMAND sh -c "rm -f '${dut_session_vcd}' && '$<TARGET_FILE:dut_session>' && grep -q '^[$]enddefinitions' '${dut_session_vcd}' && grep -q ' WR ' '${dut_session_vcd}'")
  set_tests_properties(dut_session_on_the_simulated_board PROPERTIES
    LABELS integration
    ENVIRONMENT "OLVBUS_SIM_OS=nt;OLVBUS_SIM_DUT=wr=1-,rd=14-,addr=16+,cs=17-,busy=11+,busypolls=2;OLVBUS_SIM_VCD=${dut_session_vcd}")
endif()
