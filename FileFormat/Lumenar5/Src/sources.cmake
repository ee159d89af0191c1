# The plug-in shell: compiled once as objects, linked into the module and into the shell tests.
add_library(lumenar_shell OBJECT
  FileFormat/Lumenar5/Src/Placeholder.cpp
)
target_link_libraries(lumenar_shell PUBLIC lumenar_engine)

add_library(Lumenar5 SHARED $<TARGET_OBJECTS:lumenar_shell>)
target_link_libraries(Lumenar5 PRIVATE lumenar_engine)
set_target_properties(Lumenar5 PROPERTIES PREFIX "" OUTPUT_NAME "Lumenar5")
