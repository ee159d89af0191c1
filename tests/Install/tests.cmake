# The installed engine from another program's side: cmake --install into a temporary prefix, a consumer
# (examples/consumer) built there with find_package and once with pkg-config, run on the installed
# sample; its picture must be the module's. Not in sanitizer or fuzz builds, whose libraries need the
# instrumentation's runtime in every program that links them.
if(NOT LUMENAR_SANITIZE AND NOT LUMENAR_FUZZ)
  find_program(PKG_CONFIG_EXECUTABLE pkg-config)
  add_test(NAME install_and_consume
           COMMAND ${CMAKE_COMMAND}
                   -DBUILD_DIR=${CMAKE_BINARY_DIR}
                   -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
                   -DCXX=${CMAKE_CXX_COMPILER}
                   -DPKG_CONFIG=${PKG_CONFIG_EXECUTABLE}
                   -DREFERENCE_HOST=$<TARGET_FILE:windows_reference_host>
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/Install/InstallAndConsume.cmake)
  set_tests_properties(install_and_consume PROPERTIES TIMEOUT 600 RESOURCE_LOCK layering_probes)
endif()
