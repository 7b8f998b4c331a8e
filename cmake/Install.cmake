# Install layout (freedesktop conventions):
#   bin/kv816, bin/kv816ctl, bin/kv816-sim          (install() rules beside their targets)
#   share/applications/kv816.desktop
#   share/icons/hicolor/scalable/apps/kv816.svg
#   lib/udev/rules.d/*.rules                         (access to the USB device)
include(GNUInstallDirs)

set(kv816_packaging ${PROJECT_SOURCE_DIR}/packaging/linux)
if(KV816_GUI)
  install(FILES ${kv816_packaging}/kv816.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${kv816_packaging}/kv816.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
file(GLOB kv816_udev_rules ${kv816_packaging}/*.rules)
if(kv816_udev_rules)
  install(FILES ${kv816_udev_rules} DESTINATION lib/udev/rules.d)
endif()
