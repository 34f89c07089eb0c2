# A DUT write cycle against its bare port accesses, and on the driver path.
add_executable(dut_bench ${CMAKE_CURRENT_LIST_DIR}/bench_dut.cpp)
target_link_libraries(dut_bench PRIVATE olvbus_core olvbus_sim benchmark::benchmark)
olvbus_warnings(dut_bench)
