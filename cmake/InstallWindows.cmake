# The Windows package: cpack in build-windows/ makes a zip (the .exe and LIESMICH.txt, nothing
# to install) and an NSIS installer with a Start-menu entry, both with Debian's tools.
# The program itself is the target trelvin2-rs232 of the Windows build; without it (a build of
# the tests alone) the package holds only the text.
if(TARGET trelvin2-rs232)
  install(TARGETS trelvin2-rs232 RUNTIME DESTINATION .)
  # The installer's Start-menu entry: executable name, then the entry's text.
  set(CPACK_PACKAGE_EXECUTABLES trelvin2-rs232 "Trelvin 2 RS232")
  set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)  # the .exe sits at the top, as in the zip
endif()
# The command-line program beside it, for scripts and production lines.
if(TARGET trelvin2-cli)
  install(TARGETS trelvin2-cli RUNTIME DESTINATION .)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/docs/windows/LIESMICH.txt DESTINATION .)

set(CPACK_PACKAGE_NAME trelvin2-rs232)
set(CPACK_PACKAGE_VENDOR "trelvin2-rs232")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Stellt Baudrate und Protokoll eines Trelvin 2 ein")
set(CPACK_SYSTEM_NAME windows-x64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Trelvin 2 RS232")
set(CPACK_NSIS_DISPLAY_NAME "Trelvin 2 RS232")
set(CPACK_NSIS_PACKAGE_NAME "Trelvin 2 RS232")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A 64-bit installer like the program: it runs on 64-bit Wine alone, without wine32.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# A zip always; the installer only where makensis is there to build it.
set(CPACK_GENERATOR ZIP)
find_program(TRELVIN2_MAKENSIS makensis)
if(TRELVIN2_MAKENSIS)
  list(APPEND CPACK_GENERATOR NSIS)
endif()
include(CPack)
