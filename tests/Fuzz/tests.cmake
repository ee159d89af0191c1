# Replays every kept fuzz input (tests/data/fuzz/<target>/, fuzz/seeds/<target>/) through the targets'
# entry functions, without libFuzzer.
lumenar_test(fuzz_replay_tests Fuzz/FuzzReplayTest.cpp)
target_link_libraries(fuzz_replay_tests PRIVATE lumenar_fuzz_targets)
target_compile_definitions(fuzz_replay_tests PRIVATE LUMENAR_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
