# Unit tests of OlvexPin's logic: the debug-print client, the driver frame and
# the memory buffer, run on the host binding of the driver's seam.
add_executable(debugprint_format_tests
  ${CMAKE_CURRENT_LIST_DIR}/debugprint_format_test.cpp
)
target_link_libraries(debugprint_format_tests PRIVATE olvexpin_debugprint GTest::gtest_main)
olvbus_warnings(debugprint_format_tests)
gtest_discover_tests(debugprint_format_tests NO_PRETTY_VALUES PROPERTIES LABELS unit)

# The reader's decoder, unless the tools tree already made it.
if(NOT TARGET dpreader_decode)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tools/dpreader ${CMAKE_BINARY_DIR}/tools/dpreader)
endif()

add_executable(debugprint_client_tests
  ${CMAKE_CURRENT_LIST_DIR}/debugprint_client_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/debugprint_reader_test.cpp
)
target_link_libraries(debugprint_client_tests PRIVATE
  olvexpin_host olvbus_sim_debugprint dpreader_decode GTest::gtest_main)
olvbus_warnings(debugprint_client_tests)
gtest_discover_tests(debugprint_client_tests NO_PRETTY_VALUES PROPERTIES LABELS unit)

add_executable(driver_tests
  ${CMAKE_CURRENT_LIST_DIR}/driver_frame_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/driver_memory_buffer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/driver_concurrency_test.cpp
)
target_link_libraries(driver_tests PRIVATE
  olvexpin_host olvbus_sim_debugprint dpreader_decode GTest::gtest_main)
olvbus_warnings(driver_tests)
gtest_discover_tests(driver_tests NO_PRETTY_VALUES PROPERTIES LABELS unit)
