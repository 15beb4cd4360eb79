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
