# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
lumenar_test(shell_tests
  Shell/ModuleShellTest.cpp
  Shell/FakeHost.cpp
)
target_link_libraries(shell_tests PRIVATE lumenar_shell)

# The read operation end to end through ENTRYPOINT, over documents from the test builder.
lumenar_test(readop_shell_tests
  Shell/FakeHost.cpp
  Shell/ReadOperationTest.cpp
)
target_link_libraries(readop_shell_tests PRIVATE lumenar_shell)
