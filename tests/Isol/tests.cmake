# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_isol_foundation Isol/ReportsAndExceptionsTest.cpp Isol/MemoryAndContainersTest.cpp)
lumenar_test(test_isol_streams Isol/StreamsTest.cpp)
