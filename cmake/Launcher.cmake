# The desktop's way to the program: a launcher in share/applications and the program's icon in
# the hicolor theme, which the autostart entry names too. Starting the program while it runs
# opens its panel, so the launcher is also the way in on a desktop without a tray.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(CODE "set(tuftle_launcher_template \"${CMAKE_SOURCE_DIR}/resources/launcher/tuftle.desktop.in\")
  set(tuftle_bindir \"${CMAKE_INSTALL_BINDIR}\")
  set(tuftle_datadir \"${CMAKE_INSTALL_DATADIR}\")")
install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/InstallLauncher.cmake)
