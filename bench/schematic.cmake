# The "+" button at 199 regenerators: a new group of copies, the recalculation and the relabelling of
# all 200 groups.
if(DP_GUI)
    add_executable(bench_schematic ${CMAKE_CURRENT_LIST_DIR}/schematic_bench.cpp)
    target_link_libraries(bench_schematic PRIVATE dp_app benchmark::benchmark)
endif()
