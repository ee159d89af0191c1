# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_effects Effects/LayerFXBlockTest.cpp Effects/EffectRenderTest.cpp
             Effects/EffectReference.cpp
             Effects/EffectsTestSupport.cpp)
