# The engine's layers as library targets.
#
# Every include names its path from the project root ("Src/Pellin/Isol/GRect.h"), but no layer sees the
# project root. Each layer gets its own include tree in the build folder, layers/<name>/, holding links
# to its own folders and headers under their root-relative paths and nothing else. A layer's tree is on
# its own include path and, through target_link_libraries, on the path of every layer above it. So a
# header is found only from its own layer and the layers above it: an include that points up names a
# file no tree on the path holds, and the build stops there.
#
# Paths a file reaches as seen from its own directory bypass the trees, so the engine's includes always
# start at the root. __FILE__ in a header keeps the source path: the tree's prefix is mapped back.

# lumenar_layer_tree(<target> <path>...): gives <target> the include tree of the listed folders and
# headers (root-relative), as a usage requirement of the build tree; installed, the headers sit under
# include/lumenar5 with the same paths.
function(lumenar_layer_tree target)
  string(REGEX REPLACE "^lumenar_" "" name ${target})
  set(tree ${CMAKE_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${tree})  # removes the links, never what they point to
  foreach(path IN LISTS ARGN)
    if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${path})
      message(FATAL_ERROR "layer ${name}: ${path} does not exist")
    endif()
    get_filename_component(parent ${tree}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${tree}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${tree}> $<INSTALL_INTERFACE:include/lumenar5>)
  target_compile_options(${target} PUBLIC $<BUILD_INTERFACE:-fmacro-prefix-map=${tree}/=${CMAKE_SOURCE_DIR}/>)
  set_property(TARGET ${target} PROPERTY LUMENAR_LAYER_PATHS ${ARGN})
endfunction()

# lumenar_layer(<name> PATHS <path>... [LINKS <layer>...]): the static library lumenar_<name>, its tree
# over PATHS, linked to the layers below it that it uses (and through them to theirs). The folder's
# sources.cmake adds the sources.
function(lumenar_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "" "PATHS;LINKS")
  add_library(lumenar_${name} STATIC)
  lumenar_layer_tree(lumenar_${name} ${LAYER_PATHS})
  foreach(below IN LISTS LAYER_LINKS)
    target_link_libraries(lumenar_${name} PUBLIC lumenar_${below})
  endforeach()
endfunction()
