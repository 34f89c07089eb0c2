# Unit tests of OlvexPin's logic: the debug-print client, the driver frame and
# the memory buffer, run on the host binding of the driver's seam.
add_executable(debugprint_format_tests
  ${CMAKE_CURRENT_LIST_DIR}/debugprint_format_test.cpp
)
target_link_libraries(debugprint_format_tests PRIVATE olvexpin_debugprint GTest::gtest_main)
olvbus_warnings(debugprint_format_tests)
gtest_discover_tests(debugprint_format_tests PROPERTIES LABELS unit)
