# Install layout (freedesktop and Debian conventions):
#   bin/kv816, bin/kv816ctl, bin/kv816-sim          (install() rules beside their targets)
#   share/applications/kv816.desktop
#   share/icons/hicolor/scalable/apps/kv816.svg and NxN/apps/kv816.png (drawn from the SVG)
#   share/metainfo/org.kv816.Control.metainfo.xml   (AppStream)
#   share/man/man1/*.1.gz                            (help2man, from each program's --help)
#   share/bash-completion/completions/kv816ctl
#   lib/udev/rules.d/60-kv816.rules                  (access to the USB device)
include(GNUInstallDirs)

set(KV816_PROJECT_URL "https://kv816.example.org"
    CACHE STRING "Project homepage; the AppStream screenshots live below it")
set(kv816_packaging ${PROJECT_SOURCE_DIR}/packaging/linux)
set(kv816_generated ${PROJECT_BINARY_DIR}/packaging)

if(KV816_GUI)
  install(FILES ${kv816_packaging}/kv816.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${kv816_packaging}/kv816.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  configure_file(${kv816_packaging}/kv816.metainfo.xml.in
                 ${kv816_generated}/org.kv816.Control.metainfo.xml @ONLY)
  install(FILES ${kv816_generated}/org.kv816.Control.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  find_program(KV816_RSVG_CONVERT rsvg-convert)
  if(KV816_RSVG_CONVERT)
    set(icons)
    foreach(size 16 22 24 32 48 64 128 256)
      set(icon ${kv816_generated}/icons/${size}x${size}/apps/kv816.png)
      add_custom_command(
        OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${kv816_generated}/icons/${size}x${size}/apps
        COMMAND ${KV816_RSVG_CONVERT} -w ${size} -h ${size} -o ${icon} ${kv816_packaging}/kv816.svg
        DEPENDS ${kv816_packaging}/kv816.svg
        COMMENT "Drawing the ${size}x${size} icon")
      list(APPEND icons ${icon})
    endforeach()
    add_custom_target(kv816_icons ALL DEPENDS ${icons})
    install(DIRECTORY ${kv816_generated}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  else()
    message(STATUS "rsvg-convert not found (librsvg2-bin): only the SVG icon is installed")
  endif()
endif()

install(FILES ${kv816_packaging}/kv816ctl.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kv816ctl)

file(GLOB kv816_udev_rules ${kv816_packaging}/*.rules)
if(kv816_udev_rules)
  install(FILES ${kv816_udev_rules} DESTINATION lib/udev/rules.d)
endif()

# Manual pages, written from --help at build time so they follow every new option.
find_program(KV816_HELP2MAN help2man)
if(KV816_HELP2MAN)
  set(pages)
  function(kv816_man_page target summary)
    set(page ${kv816_generated}/man/${target}.1.gz)
    set(include ${kv816_packaging}/man/${target}.h2m)
    add_custom_command(
      OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${KV816_HELP2MAN} -DPROGRAM=$<TARGET_FILE:${target}>
              -DNAME=${target} -DSUMMARY=${summary} -DVERSION=${PROJECT_VERSION}
              -DINCLUDE=${include} -DOUTPUT=${page} ${ARGN} -P
              ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
      DEPENDS ${target} ${include} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
      COMMENT "Writing the manual page ${target}(1)")
    set(pages ${pages} ${page} PARENT_SCOPE)
  endfunction()
  kv816_man_page(kv816ctl "control a KV816 loudspeaker processor from the terminal" -DCOMMANDS=ON)
  kv816_man_page(kv816-sim "a simulated KV816 processor with its WiFi module")
  if(TARGET kv816)
    kv816_man_page(kv816 "set up a KV816 digital loudspeaker processor")
  endif()
  add_custom_target(kv816_man ALL DEPENDS ${pages})
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no manual pages")
endif()

include(${PROJECT_SOURCE_DIR}/cmake/Package.cmake)
