# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_compositing_blend Compositing/BlendTest.cpp Compositing/BlendReference.cpp)
lumenar_test(test_compositing_pipeline Compositing/CompositeTest.cpp Compositing/CompositeTestSupport.cpp Compositing/BlendReference.cpp)
