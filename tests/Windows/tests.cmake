# Native checks of the Windows build: the executable-image reader and resource decoders, and the
# checker that the Windows step of `make test` runs on the cross-built module and host program.
add_library(windows_pe_reader STATIC Windows/PeImage.cpp Windows/ResourceDecoders.cpp)

lumenar_test(windows_pe_tests Windows/PeImageTest.cpp Windows/ResourceDecodersTest.cpp)
target_link_libraries(windows_pe_tests PRIVATE windows_pe_reader)

add_executable(windows_dll_check Windows/WindowsDllCheck.cpp)
target_link_libraries(windows_dll_check PRIVATE windows_pe_reader)
