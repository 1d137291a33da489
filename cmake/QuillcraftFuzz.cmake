# The fuzz build: only the libraries that hold the parsers of outside input, plus one
# libFuzzer program per parser (tests/fuzz). Included from the top level instead of
# src/ and tests/ when QUILLCRAFT_FUZZ is on; scripts/fuzz configures and runs it.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUILLCRAFT_FUZZ needs clang (libFuzzer): configure with CC=clang-14 CXX=clang++-14.")
endif()
if(QUILLCRAFT_SANITIZE)
    message(FATAL_ERROR "QUILLCRAFT_FUZZ brings its own sanitizers; leave QUILLCRAFT_SANITIZE off.")
endif()

# Every undefined behaviour stops the run, so libFuzzer keeps the input that caused it.
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_subdirectory(src/core)
add_subdirectory(src/settings)
add_subdirectory(src/service)
# The findings decoder alone: the rest of the grammar layer hosts the engine, which the
# fuzz programs never start.
add_library(quillcraft_fuzz_grammar STATIC
    src/grammar/Suggestion.cpp src/grammar/Suggestion.h
    src/grammar/TextIssue.cpp src/grammar/TextIssue.h)
target_link_libraries(quillcraft_fuzz_grammar PUBLIC quillcraft_core)
# The hand-off message reader alone: the rest of the shell is windows.
add_library(quillcraft_fuzz_shell STATIC src/shell/HandoffMessage.cpp src/shell/HandoffMessage.h)
target_link_libraries(quillcraft_fuzz_shell PUBLIC quillcraft_service)

add_subdirectory(tests/fuzz)
