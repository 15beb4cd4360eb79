# Install rules of nerevnet (included from nerevnet/CMakeLists.txt): the public
# header, the library, a pkg-config file and a CMake package giving the
# imported target nerevnet::nerevnet. Nothing else of the tree is installed.
# Everything belongs to the component "nerevnet", so
#   cmake --install BUILD --component nerevnet
# installs the same set as a plain `cmake --install BUILD`.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(NEREVNET_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/nerevnet)
set(NEREVNET_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS nerevnet EXPORT nerevnetTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT nerevnet
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT nerevnet NAMELINK_COMPONENT nerevnet
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT nerevnet
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/include/nerevnet.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT nerevnet)

# CMake package: find_package(nerevnet [major]) -> nerevnet::nerevnet. A host
# built for one major version of the interface accepts no other.
install(EXPORT nerevnetTargets NAMESPACE nerevnet:: DESTINATION ${NEREVNET_CMAKE_DIR} COMPONENT nerevnet)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/nerevnetConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/nerevnetConfig.cmake
                              INSTALL_DESTINATION ${NEREVNET_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/nerevnetConfigVersion.cmake
                                 VERSION ${NEREVNET_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/nerevnetConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/nerevnetConfigVersion.cmake
        DESTINATION ${NEREVNET_CMAKE_DIR} COMPONENT nerevnet)

# pkg-config file. The prefix is the one of the install run (so that
# `cmake --install BUILD --prefix DIR` gives a file that points into DIR); the
# folders below it are those of this configuration.
foreach(dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(NEREVNET_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(NEREVNET_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
set(NEREVNET_PC_PREFIX "@NEREVNET_PC_PREFIX@")  # filled in by the install run
configure_file(${PROJECT_SOURCE_DIR}/cmake/nerevnet.pc.in ${CMAKE_CURRENT_BINARY_DIR}/nerevnet.pc.in @ONLY)
install(CODE "set(NEREVNET_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
configure_file(\"${CMAKE_CURRENT_BINARY_DIR}/nerevnet.pc.in\" \"${CMAKE_CURRENT_BINARY_DIR}/nerevnet.pc\" @ONLY)"
        COMPONENT nerevnet)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/nerevnet.pc DESTINATION ${NEREVNET_PKGCONFIG_DIR} COMPONENT nerevnet)
