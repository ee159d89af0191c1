# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_image_pixelmath Image/PixelMathTest.cpp)
lumenar_test(test_image_tilebuffer Image/TileBufferTest.cpp Image/TileBufferModelTest.cpp)
lumenar_test(test_image_channel Image/ChannelModelTest.cpp)
lumenar_test(test_image_layers Image/LayerTest.cpp)
lumenar_test(test_image_cimage Image/CImageTest.cpp)
lumenar_test(test_image_indexed Image/IndexedLayerTest.cpp)
lumenar_test(test_image_merge Image/CImageMergeTest.cpp)
