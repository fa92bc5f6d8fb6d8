# Fuzz target of the profile-file layer: parses arbitrary text, compares the streaming one-key scan
# with the indexed reader, and round-trips key writes. The layer itself is instrumented too.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(dp_profile PRIVATE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(dp_profile INTERFACE -fsanitize=address,undefined)

    add_executable(fuzz_profile_reader ${CMAKE_CURRENT_LIST_DIR}/profile_reader_fuzz.cpp)
    target_compile_options(fuzz_profile_reader PRIVATE -fsanitize=fuzzer,address,undefined -fno-omit-frame-pointer)
    target_link_options(fuzz_profile_reader PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(fuzz_profile_reader PRIVATE dp_profile dp_fuzz_tree)

    if(BUILD_TESTING)
        # Replays the saved corpus: every seed must pass the target's checks.
        file(GLOB dp_profile_seeds ${CMAKE_CURRENT_LIST_DIR}/corpus/profile_reader/*)
        add_test(NAME fuzz_profile_reader_corpus COMMAND fuzz_profile_reader ${dp_profile_seeds})
        set_tests_properties(fuzz_profile_reader_corpus PROPERTIES LABELS fuzz)
    endif()
else()
    message(WARNING "fuzz_profile_reader needs clang; not built")
endif()
