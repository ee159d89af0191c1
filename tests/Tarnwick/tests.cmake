# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_tarnwick_foundation Tarnwick/LibraryStartupTest.cpp)
lumenar_test(test_tarnwick_image_file Tarnwick/ImageFileTest.cpp)
