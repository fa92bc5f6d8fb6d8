# Start-up of the main window: building it, running start-up and showing it (offscreen).
if(DP_GUI)
    add_executable(bench_app_startup ${CMAKE_CURRENT_LIST_DIR}/app_startup.cpp)
    target_link_libraries(bench_app_startup PRIVATE dp_app benchmark::benchmark)
endif()
