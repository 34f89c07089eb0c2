# OlvexPin's debug-print client and request path, measured side by side.
add_executable(bench_driver ${CMAKE_CURRENT_LIST_DIR}/bench_driver.cpp)
target_link_libraries(bench_driver PRIVATE olvexpin_host benchmark::benchmark)
olvbus_warnings(bench_driver)
