# Cross-building the Windows programs on Debian with mingw-w64 (64-bit), for scripts/build-windows.
#
# The -posix compilers: their libstdc++ has std::thread and std::mutex, which GoogleTest needs
# (the -win32 flavour lacks them). Everything links statically, so the .exe files need only
# Windows' own DLLs and run on a bare workstation and under Wine alike.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRELVIN2_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRELVIN2_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRELVIN2_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TRELVIN2_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRELVIN2_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest (and GoogleTest's test discovery) run every test program under Wine.
find_program(TRELVIN2_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TRELVIN2_WINE})
