# Native checks of the Windows build: the executable-image reader and resource decoders, the host side
# of a read operation shared with the Windows host program, the checker that the Windows step of
# `make test` runs on the cross-built module and host program, and the native reference host whose
# output the Windows host's is compared with.
add_library(windows_pe_reader STATIC Windows/PeImage.cpp Windows/ResourceDecoders.cpp)

lumenar_test(windows_tests Windows/PeImageTest.cpp Windows/ResourceDecodersTest.cpp
             Windows/RawFlattenerTest.cpp ../tools/win/RawFlattener.cpp)
target_link_libraries(windows_tests PRIVATE windows_pe_reader)

add_executable(windows_dll_check Windows/WindowsDllCheck.cpp)
target_link_libraries(windows_dll_check PRIVATE windows_pe_reader)

add_executable(windows_reference_host Windows/ReferenceHost.cpp ../tools/win/RawFlattener.cpp)
target_link_libraries(windows_reference_host PRIVATE ${CMAKE_DL_LIBS})
add_dependencies(windows_reference_host Lumenar5)
