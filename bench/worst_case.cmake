# A search tool (not a benchmark) for the slowest chain of non-negative values for the fast loop:
# search_worst_chain [seconds] [seed].
add_executable(search_worst_chain ${CMAKE_CURRENT_LIST_DIR}/worst_case_search.cpp)
target_link_libraries(search_worst_chain PRIVATE dp_calc)
dp_expose_folder(search_worst_chain PRIVATE tests/support)
