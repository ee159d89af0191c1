# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_compositing_blend Compositing/BlendTileTest.cpp Compositing/BlendTablesTest.cpp Compositing/BlendReference.cpp)
