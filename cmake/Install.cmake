if(WIN32)
  include(${CMAKE_SOURCE_DIR}/cmake/InstallWindows.cmake)
  return()
endif()

# cmake --install puts both programs, the desktop entry, the icon and the udev example under the prefix.
include(GNUInstallDirs)
if(TARGET trelvin2-rs232)
  install(TARGETS trelvin2-rs232 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET trelvin2-cli)
  install(TARGETS trelvin2-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET trelvin2-sim)
  install(TARGETS trelvin2-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/trelvin2-rs232.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/trelvin2-rs232.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/docs/udev/99-trelvin2.rules
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/udev OPTIONAL)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} OPTIONAL)

# A Debian package: cpack -G DEB in the build directory.
set(CPACK_PACKAGE_NAME trelvin2-rs232)
set(CPACK_PACKAGE_CONTACT "trelvin2-rs232 maintainers <maintainers@users.noreply.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Sets the serial parameters of the Trelvin 2 through its boot loader")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_GENERATOR DEB)
include(CPack)
