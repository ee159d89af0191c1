# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(test_format_codec Format/CodecTest.cpp)
lumenar_test(test_format_reader Format/LumenarReaderTest.cpp Format/LumenarBandsTest.cpp)
lumenar_test(test_format_reader_damage Format/LumenarDamageTest.cpp)
lumenar_test(test_format_writer Format/LumenarWriterTest.cpp)
target_compile_definitions(test_format_writer PRIVATE LUMENAR_SHOWCASE_PATH="${CMAKE_SOURCE_DIR}/examples/showcase.lmn")
