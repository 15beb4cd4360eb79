# The shipping folder of the Windows build: the program as a user gets it
# (scripts/windows-deploy lays it out; README "The Windows build" lists what is
# in it). Every build refreshes it, and scripts/check-pe-imports then fails the
# build when an exe or DLL there imports a DLL that is neither in the folder nor
# part of Windows. An installer is made from this folder as it is.
set(OSTREL_SHIPPING_DIR "${CMAKE_BINARY_DIR}/shipping" CACHE PATH "Shipping folder of the Windows build")
add_custom_target(windows_shipping ALL
                  COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows-deploy
                          --program $<TARGET_FILE:OSTREL_Streaming_Assistant>
                          --qt ${OSTREL_QT_MINGW_PREFIX}
                          --runtime "${OSTREL_MINGW_RUNTIME_DLLS}"
                          --translations $<TARGET_FILE_DIR:OSTREL_Streaming_Assistant>
                          --qml ${CMAKE_SOURCE_DIR}/assistant/qml
                          --out ${OSTREL_SHIPPING_DIR}
                  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe-imports ${OSTREL_SHIPPING_DIR}
                  DEPENDS OSTREL_Streaming_Assistant assistant_translations
                  COMMENT "Laying out the shipping folder ${OSTREL_SHIPPING_DIR}"
                  VERBATIM)
# The checker itself: a folder that lacks a DLL is refused, a complete one passes.
add_test(NAME check_pe_imports COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/tests/check-pe-imports-test
                                       ${OSTREL_SHIPPING_DIR})

# The Windows installer OSTREL_Streaming_Assistant_Setup_<version>.exe, made with
# makensis from the shipping folder (installer/make-installer; `make installer`).
# The installer's tests also need a later version: the program relinked with
# OSTREL_NEXT_VERSION (assistant/CMakeLists.txt), its own shipping folder and its
# own installer, made the same way.
find_program(OSTREL_MAKENSIS makensis)
if(OSTREL_MAKENSIS)
  set(OSTREL_INSTALLER_DIR ${CMAKE_BINARY_DIR}/installer)
  set(OSTREL_PROGRAM_ICON_FILE ${CMAKE_BINARY_DIR}/assistant/res/image/nerev.ico)
  file(GLOB OSTREL_INSTALLER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/installer/*)
  # ostrel_installer(TARGET PROGRAM_TARGET VERSION SHIPPING_DIR SHIPPING_TARGET OUT_DIR)
  function(ostrel_installer target program version shipping shipping_target out_dir)
    set(file ${out_dir}/OSTREL_Streaming_Assistant_Setup_${version}.exe)
    add_custom_command(OUTPUT ${file}
                       COMMAND ${CMAKE_SOURCE_DIR}/installer/make-installer --shipping ${shipping} --version ${version}
                               --icon ${OSTREL_PROGRAM_ICON_FILE} --out ${out_dir}
                       DEPENDS ${program} assistant_translations ${OSTREL_INSTALLER_SOURCES}
                               ${CMAKE_SOURCE_DIR}/scripts/windows-deploy
                       COMMENT "Making the installer ${file}"
                       VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${file})
    add_dependencies(${target} ${shipping_target})
  endfunction()
  ostrel_installer(installer OSTREL_Streaming_Assistant ${OSTREL_PROGRAM_VERSION} ${OSTREL_SHIPPING_DIR}
                   windows_shipping ${OSTREL_INSTALLER_DIR})
  set(OSTREL_INSTALLER ${OSTREL_INSTALLER_DIR}/OSTREL_Streaming_Assistant_Setup_${OSTREL_PROGRAM_VERSION}.exe)

  if(TARGET OSTREL_Streaming_Assistant_next)
    set(OSTREL_NEXT_SHIPPING_DIR ${CMAKE_BINARY_DIR}/shipping-next)
    add_custom_target(windows_shipping_next ALL
                      COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows-deploy
                              --program $<TARGET_FILE:OSTREL_Streaming_Assistant_next>
                              --qt ${OSTREL_QT_MINGW_PREFIX}
                              --runtime "${OSTREL_MINGW_RUNTIME_DLLS}"
                              --translations $<TARGET_FILE_DIR:OSTREL_Streaming_Assistant>
                              --qml ${CMAKE_SOURCE_DIR}/assistant/qml
                              --out ${OSTREL_NEXT_SHIPPING_DIR}
                      DEPENDS OSTREL_Streaming_Assistant_next assistant_translations
                      VERBATIM)
    ostrel_installer(installer_next OSTREL_Streaming_Assistant_next ${OSTREL_NEXT_VERSION} ${OSTREL_NEXT_SHIPPING_DIR}
                     windows_shipping_next ${OSTREL_INSTALLER_DIR}/next)
    set(OSTREL_NEXT_INSTALLER ${OSTREL_INSTALLER_DIR}/next/OSTREL_Streaming_Assistant_Setup_${OSTREL_NEXT_VERSION}.exe)

    # The installers in the Windows demo world under Wine (tools/demo-world/test-installer):
    # silent install, uninstall and upgrade; the update path clicked through; a cut or
    # damaged download.
    foreach(mode silent update download)
      add_test(NAME installer_${mode}
               COMMAND ${CMAKE_SOURCE_DIR}/tools/demo-world/test-installer ${CMAKE_BINARY_DIR} ${mode})
      set_tests_properties(installer_${mode} PROPERTIES TIMEOUT 600 RESOURCE_LOCK ostrel_demo_world
                           ENVIRONMENT "OSTREL_SHIPPING_DIR=${OSTREL_SHIPPING_DIR};OSTREL_INSTALLER=${OSTREL_INSTALLER};OSTREL_NEXT_INSTALLER=${OSTREL_NEXT_INSTALLER}")
    endforeach()
  endif()
else()
  message(STATUS "makensis not found: no installer (scripts/bootstrap installs nsis)")
endif()
