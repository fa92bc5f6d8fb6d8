# The settings with a full chain: start-up of the window to its first showing, and one save.
if(DP_GUI)
    add_executable(bench_settings ${CMAKE_CURRENT_LIST_DIR}/settings_bench.cpp)
    target_link_libraries(bench_settings PRIVATE dp_app benchmark::benchmark)
endif()
