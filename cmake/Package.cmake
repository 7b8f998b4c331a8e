# The Debian package (cpack -G DEB, driven by scripts/package): the install tree of
# Install.cmake plus the Debian documents and the maintainer scripts in packaging/debian.
set(KV816_PACKAGE_MAINTAINER "KV816 Control maintainers <maintainers@kv816.example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(kv816_debian ${PROJECT_SOURCE_DIR}/packaging/debian)

configure_file(${kv816_debian}/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -n -9 -k -f ${PROJECT_BINARY_DIR}/packaging/changelog
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog
  COMMENT "Compressing the package changelog")
add_custom_target(kv816_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${kv816_debian}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kv816)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kv816)
set(CPACK_PACKAGE_VENDOR "KV816 Control developers")
set(CPACK_PACKAGE_CONTACT "${KV816_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for the KV816 loudspeaker processor")
set(CPACK_PACKAGE_DESCRIPTION
    "KV816 Control sets up a digital loudspeaker processor with 4 inputs and 8
outputs over USB HID, a serial or Bluetooth port, or the network: gain, delay,
graphic and parametric equalisers, crossovers, compressors, noise gates,
routing, link groups and presets.
.
The package holds the desktop program kv816, the command-line tool kv816ctl,
the simulated processor kv816-sim, and a udev rule that gives the user logged
in at the desktop access to the device without root.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KV816_PROJECT_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${kv816_debian}/postinst ${kv816_debian}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

add_subdirectory(${PROJECT_SOURCE_DIR}/tests/package ${PROJECT_BINARY_DIR}/tests/package)
