# Desktop integration: a menu entry for the window and for the demo, and the
# logo as their icon. The programs themselves are installed where they are
# defined (bin/).
include(GNUInstallDirs)

# The logo is 300x300, a size the icon theme has no folder for: it is scaled
# once at build time to 256x256.
add_executable(vantrel-scale-icon ${CMAKE_CURRENT_LIST_DIR}/install/scale-icon/main.cpp)
target_link_libraries(vantrel-scale-icon PRIVATE Qt6::Gui)
set(VANTREL_ICON ${CMAKE_CURRENT_BINARY_DIR}/icons/vantrel-256.png)
add_custom_command(OUTPUT ${VANTREL_ICON}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons
  COMMAND vantrel-scale-icon ${CMAKE_CURRENT_LIST_DIR}/logo.png ${VANTREL_ICON} 256
  DEPENDS vantrel-scale-icon ${CMAKE_CURRENT_LIST_DIR}/logo.png
  VERBATIM)
add_custom_target(vantrel-icon ALL DEPENDS ${VANTREL_ICON})

install(FILES ${VANTREL_ICON}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME vantrel.png)
install(FILES
  ${PROJECT_SOURCE_DIR}/share/applications/vantrel.desktop
  ${PROJECT_SOURCE_DIR}/share/applications/vantrel-demo.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
