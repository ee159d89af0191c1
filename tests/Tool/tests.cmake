# Tests of this folder: lumenar_test(<name> <sources...>) calls, added as suites appear.
if(TARGET lumenar)
  lumenar_test(tool_tests
    Tool/LumenarCommandTest.cpp
  )
  target_link_libraries(tool_tests PRIVATE lumenar_host)
  target_compile_definitions(tool_tests PRIVATE
    LUMENAR_TEST_MODULE="$<TARGET_FILE:Lumenar5>"
    LUMENAR_TEST_TOOL="$<TARGET_FILE:lumenar>"
  )
  add_dependencies(tool_tests Lumenar5 lumenar)

  # The commands and the pieces behind them.
  lumenar_test(readop_tool_tests
    Tool/CommandsTest.cpp
    Tool/DeflateEncoderTest.cpp
    Tool/ToolPartsTest.cpp
  )
  target_link_libraries(readop_tool_tests PRIVATE lumenar_tool_core)
  target_compile_definitions(readop_tool_tests PRIVATE
    LUMENAR_TEST_MODULE="$<TARGET_FILE:Lumenar5>"
    LUMENAR_TEST_TOOL="$<TARGET_FILE:lumenar>"
  )
  add_dependencies(readop_tool_tests Lumenar5 lumenar)
endif()
