# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model,
# needed for std::thread and std::mutex).
#
# The GCC runtime: Qt's DLLs load the shared one (libgcc_s_seh-1.dll,
# libstdc++-6.dll, libwinpthread-1.dll), so the desktop program, its tests and
# the simulators use it too and the shipping folder carries those three DLLs.
# The library nerevnet.dll keeps the runtime inside (OSTREL_MINGW_STATIC_RUNTIME,
# applied by the top-level CMakeLists to nerevnet/), so a host program outside
# this project needs no extra DLL.
#
# OSTREL_QT_MINGW_PREFIX: Qt for mingw (scripts/qt-mingw prints it); its CMake
# packages are then found there and its host tools (moc, rcc) run here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
if(OSTREL_QT_MINGW_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${OSTREL_QT_MINGW_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${OSTREL_QT_MINGW_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(OSTREL_MINGW_STATIC_RUNTIME "-static")
find_program(OSTREL_WINE NAMES wine wine64)
if(OSTREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
endif()
