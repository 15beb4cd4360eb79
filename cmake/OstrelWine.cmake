# The Windows leg's programs run under Wine (scripts/wine-run is the emulator
# of every test). What they need from this machine is written once into
# ${CMAKE_BINARY_DIR}/wine-env, which wine-run reads: the Wine prefix, the
# folders of the GCC runtime DLLs and of Qt's DLLs (WINEPATH), and Qt's
# plug-ins and QML modules.
#
# OSTREL_WINEPREFIX: the Wine prefix (scripts/windows-leg creates it).

set(OSTREL_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix of the tests")

# ostrel_windows_path(OUT PATH): PATH of this machine as a Windows program under
# Wine sees it (drive Z: is the root), with forward slashes.
function(ostrel_windows_path out path)
  set(${out} "Z:${path}" PARENT_SCOPE)
endfunction()

# The GCC runtime DLLs of the compiler, as the deploy step ships them.
set(OSTREL_MINGW_RUNTIME_DLLS "")
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(found "${found}" REALPATH)
  if(NOT EXISTS "${found}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} has no ${dll}; install g++-mingw-w64-x86-64-posix")
  endif()
  list(APPEND OSTREL_MINGW_RUNTIME_DLLS ${found})
endforeach()

set(dll_dirs "")
foreach(dll ${OSTREL_MINGW_RUNTIME_DLLS})
  get_filename_component(dir ${dll} DIRECTORY)
  ostrel_windows_path(dir ${dir})
  list(APPEND dll_dirs ${dir})
endforeach()
if(OSTREL_QT_MINGW_PREFIX)
  ostrel_windows_path(qt_bin ${OSTREL_QT_MINGW_PREFIX}/bin)
  list(APPEND dll_dirs ${qt_bin})
endif()
list(REMOVE_DUPLICATES dll_dirs)
set(wine_path "${dll_dirs}")

set(env "# Written by CMake (cmake/OstrelWine.cmake); read by scripts/wine-run.\n")
string(APPEND env "export WINEPREFIX='${OSTREL_WINEPREFIX}'\n")
string(APPEND env "export WINEDEBUG=\${WINEDEBUG:--all}\n")
string(APPEND env "export WINEDLLOVERRIDES='mscoree,mshtml='\n")
string(APPEND env "export WINEPATH='${wine_path}'\n")
# Qt sends its messages (and QtTest its results) to the debugger when the
# program has no console window, which is always so under Wine.
string(APPEND env "export QT_FORCE_STDERR_LOGGING=1\n")
if(OSTREL_QT_MINGW_PREFIX)
  ostrel_windows_path(qt_plugins ${OSTREL_QT_MINGW_PREFIX}/plugins)
  ostrel_windows_path(qt_qml ${OSTREL_QT_MINGW_PREFIX}/qml)
  string(APPEND env "export QT_PLUGIN_PATH='${qt_plugins}'\n")
  string(APPEND env "export QML2_IMPORT_PATH='${qt_qml}'\n")
endif()
file(WRITE ${CMAKE_BINARY_DIR}/wine-env "${env}")

if(OSTREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run --env ${CMAKE_BINARY_DIR}/wine-env)
endif()
