# cmake --install: the native module, the lumenar tool, the engine's layer libraries and public headers,
# the sample document, a CMake package (find_package(Lumenar5) -> Lumenar5::engine) and lumenar5.pc.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
include(cmake/PublicHeaders.cmake)

set(LUMENAR_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/lumenar5)
set(LUMENAR_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/lumenar5)
set(LUMENAR_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Lumenar5)
# Top layer first, as a static link needs them.
set(LUMENAR_LAYERS tarnwick format adjustments effects compositing image storage powerpellin ports isol platform)

# The module goes where the installed tool looks for it (../lib/lumenar5 from the tool).
install(TARGETS Lumenar5 LIBRARY DESTINATION ${LUMENAR_INSTALL_MODULEDIR})
if(TARGET lumenar)
  install(TARGETS lumenar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES examples/showcase.lmn DESTINATION ${CMAKE_INSTALL_DATADIR}/lumenar5)

set(layerTargets)
set(pcLibs)
foreach(layer IN LISTS LUMENAR_LAYERS)
  list(APPEND layerTargets lumenar_${layer})
  string(APPEND pcLibs " -llumenar_${layer}")
  set_target_properties(lumenar_${layer} PROPERTIES EXPORT_NAME ${layer})
endforeach()
string(STRIP "${pcLibs}" LUMENAR_PC_LIBS)
install(TARGETS ${layerTargets} lumenar_engine EXPORT Lumenar5Targets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(header IN LISTS LUMENAR_PUBLIC_HEADERS)
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${header} DESTINATION ${LUMENAR_INSTALL_INCLUDEDIR}/${folder})
endforeach()

install(EXPORT Lumenar5Targets NAMESPACE Lumenar5:: DESTINATION ${LUMENAR_INSTALL_CMAKEDIR})
configure_package_config_file(cmake/Lumenar5Config.cmake.in ${CMAKE_BINARY_DIR}/Lumenar5Config.cmake
                              INSTALL_DESTINATION ${LUMENAR_INSTALL_CMAKEDIR}
                              PATH_VARS LUMENAR_INSTALL_INCLUDEDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/Lumenar5ConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/Lumenar5Config.cmake ${CMAKE_BINARY_DIR}/Lumenar5ConfigVersion.cmake
        DESTINATION ${LUMENAR_INSTALL_CMAKEDIR})

# The prefix is the one given at install time (cmake --install --prefix), not the configured one.
configure_file(cmake/lumenar5.pc.in ${CMAKE_BINARY_DIR}/lumenar5.pc.in.configured @ONLY)
install(CODE "
  file(READ \"${CMAKE_BINARY_DIR}/lumenar5.pc.in.configured\" pc)
  string(REPLACE \"%PREFIX%\" \"\${CMAKE_INSTALL_PREFIX}\" pc \"\${pc}\")
  file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/lumenar5.pc\" \"\${pc}\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/lumenar5.pc\")
")
