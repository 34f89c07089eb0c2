add_executable(library_bench ${CMAKE_CURRENT_LIST_DIR}/bench_library.cpp)
target_link_libraries(library_bench PRIVATE olvbus_core olvbus_sim benchmark::benchmark)
olvbus_warnings(library_bench)
