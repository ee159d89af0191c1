# Every C++ source keeps the layout .clang-format gives it; the check itself refuses a file that does not.
find_program(LUMENAR_CLANG_FORMAT clang-format)
if(LUMENAR_CLANG_FORMAT)
  add_test(NAME sources_are_formatted COMMAND ${PROJECT_SOURCE_DIR}/tools/check-format.sh)
  add_test(NAME format_check_refuses_unformatted
           COMMAND ${PROJECT_SOURCE_DIR}/tools/check-format.sh ${CMAKE_CURRENT_SOURCE_DIR}/Style/Unformatted.txt)
  set_tests_properties(format_check_refuses_unformatted PROPERTIES
    PASS_REGULAR_EXPRESSION "not formatted .*Unformatted\\.txt")
else()
  message(WARNING "clang-format not found: the source layout check is not registered")
endif()
