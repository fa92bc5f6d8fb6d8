# The solver's stepping loop: the fast loop at ordinary and extreme supply voltages, the literal one
# for comparison. The chains come from the tests' chain builder.
add_executable(bench_solver ${CMAKE_CURRENT_LIST_DIR}/solver_bench.cpp)
target_link_libraries(bench_solver PRIVATE dp_calc benchmark::benchmark)
dp_expose_folder(bench_solver PRIVATE tests/support)
