# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_adjust_layers Adjustments/AdjustmentsTest.cpp)
