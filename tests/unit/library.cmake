# Unit tests of the library on the simulated PC.
add_executable(library_tests
  ${CMAKE_CURRENT_LIST_DIR}/library_selection_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/library_registers_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/library_trace_test.cpp
)
target_link_libraries(library_tests PRIVATE olvbus_core olvbus_sim GTest::gtest_main)
olvbus_warnings(library_tests)
gtest_discover_tests(library_tests NO_PRETTY_VALUES PROPERTIES LABELS unit)
