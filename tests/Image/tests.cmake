# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_image_pixelmath Image/PixelMathTest.cpp)
lumenar_test(test_image_tilebuffer Image/TileBufferTest.cpp Image/PlaneModelTest.cpp)
lumenar_test(test_image_layers Image/LayerAndImageTest.cpp)
