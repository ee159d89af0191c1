# Native checks of the Windows build: flattening to RGBA as the Windows host program does it, the checker
# that the Windows step of `make test` runs on the cross-built module and host program (its image reader
# and resource decoders are tested by that run), and the native reference host whose output the Windows
# host's is compared with.
add_library(windows_pe_reader STATIC Windows/PeImage.cpp Windows/ResourceDecoders.cpp)

lumenar_test(windows_tests Windows/FlattenToRgbaTest.cpp ../tools/win/FlattenToRgba.cpp)
target_link_libraries(windows_tests PRIVATE windows_pe_reader lumenar_host)

add_executable(windows_dll_check Windows/WindowsDllCheck.cpp)
target_link_libraries(windows_dll_check PRIVATE windows_pe_reader)

add_executable(windows_reference_host Windows/ReferenceHost.cpp ../tools/win/FlattenToRgba.cpp)
target_link_libraries(windows_reference_host PRIVATE lumenar_host)
add_dependencies(windows_reference_host Lumenar5)

# Seeded random documents for the comparison of the two builds under wine (tools/win/wine-compare.sh).
add_executable(windows_random_documents Windows/RandomDocuments.cpp Effects/EffectsTestSupport.cpp)
target_link_libraries(windows_random_documents PRIVATE lumenar_test_support)
