# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_image_pixelmath Image/PixelMathTest.cpp)
lumenar_test(test_image_tilebuffer Image/TiledPlaneTest.cpp)
lumenar_test(test_image_layers Image/LayerAndImageTest.cpp)
