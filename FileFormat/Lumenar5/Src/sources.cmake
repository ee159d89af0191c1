# The plug-in shell: compiled once as objects, linked into the module and into the shell tests.
add_library(lumenar_shell OBJECT
  FileFormat/Lumenar5/Src/AboutBox.cpp
  FileFormat/Lumenar5/Src/CenterDialog.cpp
  FileFormat/Lumenar5/Src/DocumentReader.cpp
  FileFormat/Lumenar5/Src/ModuleState.cpp
  FileFormat/Lumenar5/Src/PluginEntry.cpp
  FileFormat/Lumenar5/Src/ReadSelectors.cpp
  FileFormat/Lumenar5/Src/Selectors.cpp
  FileFormat/Lumenar5/Src/WriteSelectors.cpp
)
if(WIN32)
  target_sources(lumenar_shell PRIVATE FileFormat/Lumenar5/Src/DllMain.cpp)
endif()
# The top layer: it sees its own folder and, below it, Tarnwick (and all it stands on) and the file ports.
lumenar_layer_tree(lumenar_shell FileFormat/Lumenar5/Src)
target_link_libraries(lumenar_shell PUBLIC lumenar_tarnwick lumenar_ports)
# Only what the shell marks for export leaves the module.
set_target_properties(lumenar_shell PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

add_library(Lumenar5 SHARED $<TARGET_OBJECTS:lumenar_shell>)
target_link_libraries(Lumenar5 PRIVATE lumenar_engine)
set_target_properties(Lumenar5 PROPERTIES PREFIX "" OUTPUT_NAME "Lumenar5")
if(NOT WIN32 AND NOT LUMENAR_FUZZ)
  # The engine's own symbols stay inside the module as well. (A sanitizer build leaves the sanitizer
  # runtime to the program that loads the module.)
  target_link_options(Lumenar5 PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined)
endif()
