# The driver's dispatch core over the request contract, on the simulated PC.
add_executable(device_control_tests ${CMAKE_CURRENT_LIST_DIR}/device_control_test.cpp)
target_link_libraries(device_control_tests PRIVATE olvbus_sim olvexpin_debugprint GTest::gtest_main)
olvbus_warnings(device_control_tests)
gtest_discover_tests(device_control_tests NO_PRETTY_VALUES PROPERTIES LABELS unit)
