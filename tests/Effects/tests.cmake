# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_effects Effects/EffectsTest.cpp Effects/EffectsTestSupport.cpp)
