# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_storage_vmbuffer Storage/VMBufferTest.cpp Storage/SpillAndPortTest.cpp)
