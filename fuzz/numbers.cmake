# Fuzz targets of the number helpers and the calculation: integer parsing, real parsing, the general
# number format with RoundToStr, and the whole calculation with the fast loop checked against the
# literal one. The two libraries are instrumented for coverage and sanitizers in this build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(dp_fuzz_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    foreach(lib IN ITEMS dp_util dp_calc)
        target_compile_options(${lib} PRIVATE -fsanitize=fuzzer-no-link ${dp_fuzz_sanitizers})
        # Whatever links the instrumented library needs the sanitizer runtimes.
        target_link_options(${lib} INTERFACE -fsanitize=address,undefined)
    endforeach()

    # name -> source; the program is fuzz_<name>, its saved seeds are in corpus/<name>/.
    set(dp_number_fuzz_targets
        int_parse int_parse_fuzz.cpp dp_util
        float_parse float_parse_fuzz.cpp dp_util
        general_format general_format_fuzz.cpp dp_util
        calculate calculate_fuzz.cpp dp_calc)
    while(dp_number_fuzz_targets)
        list(POP_FRONT dp_number_fuzz_targets name source lib)
        add_executable(fuzz_${name} ${CMAKE_CURRENT_LIST_DIR}/${source} ${CMAKE_CURRENT_LIST_DIR}/fuzz_support.h)
        target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer ${dp_fuzz_sanitizers})
        target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_libraries(fuzz_${name} PRIVATE ${lib} dp_fuzz_tree)
        # The calculation's target builds the tests' hard chains (a header of the test support).
        if(name STREQUAL "calculate")
            dp_expose_folder(fuzz_${name} PRIVATE tests/support)
        endif()
        if(BUILD_TESTING)
            # Replays the saved corpus once: every seed must pass the target's checks.
            file(GLOB dp_seeds CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/corpus/${name}/*)
            add_test(NAME fuzz_${name}_corpus COMMAND fuzz_${name} ${dp_seeds})
            set_tests_properties(fuzz_${name}_corpus PROPERTIES LABELS fuzz TIMEOUT 300)
        endif()
    endwhile()
else()
    message(WARNING "the number and calculation fuzz targets need clang; not built")
endif()
