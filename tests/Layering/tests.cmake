# The build refuses an include that points up. One probe file includes the image model's CImage.h; built
# as part of the Isol layer (the include path an Isol source gets) it must fail for want of that header,
# built as part of the image layer it must compile, which shows the failure is the layering's.
foreach(layer isol image)
  add_library(layering_probe_${layer} OBJECT EXCLUDE_FROM_ALL Layering/IncludesImageModel.cpp)
  target_link_libraries(layering_probe_${layer} PRIVATE lumenar_${layer})
  # Only the layer's own include path: not the project root the other programs of this folder get.
  set_property(TARGET layering_probe_${layer} PROPERTY INCLUDE_DIRECTORIES "")
endforeach()
add_test(NAME layering_refuses_upward_include
         COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target layering_probe_isol)
set_tests_properties(layering_refuses_upward_include PROPERTIES
  PASS_REGULAR_EXPRESSION "CImage\\.h: No such file or directory|CImage\\.h' file not found"
  FAIL_REGULAR_EXPRESSION "Built target layering_probe_isol"
  RESOURCE_LOCK layering_probes TIMEOUT 300)
add_test(NAME layering_allows_downward_include
         COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target layering_probe_image)
set_tests_properties(layering_allows_downward_include PROPERTIES RESOURCE_LOCK layering_probes TIMEOUT 300)
