# `cpack -G DEB` in the build folder: one package with both executables and
# their data, dependencies found by dpkg-shlibdeps, and maintainer scripts that
# reload the udev rules.
set(PALEREED_PACKAGE_MAINTAINER
    "Pale Reed Update Tool maintainers <maintainers@palereed.example>"
    CACHE STRING "Maintainer field of the Debian package: name <address>")

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)

# Debian wants its own changelog beside the release's; the date is the last
# commit's when scripts/build-deb.sh sets SOURCE_DATE_EPOCH, so the same source
# gives the same package.
string(TIMESTAMP PALEREED_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(debian_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog.in ${debian_changelog} @ONLY)
add_custom_command(OUTPUT ${debian_changelog}.gz
    COMMAND sh -c "'${GZIP}' -9n < '${debian_changelog}' > '${debian_changelog}.gz'"
    DEPENDS ${debian_changelog}
    VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${debian_changelog}.gz)
install(FILES ${debian_changelog}.gz DESTINATION ${PALEREED_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME palereed-update-tool)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Pale Reed")
set(CPACK_PACKAGE_CONTACT "${PALEREED_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware update tool for Pale Reed USB audio products")
set(CPACK_PACKAGE_DESCRIPTION
    "Updates the firmware of USB audio products built on the Quorvex USB Audio
Class 2 bridge chip: plug the product in, start the tool and press Start. The
window also has maintenance pages for engineers (registers, I2C devices, single
flash steps, product parameters). The command-line tool palereed-flash updates,
verifies and reads products from scripts and production lines.
.
A udev rule lets the user at the seat update a product without root rights.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PALEREED_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a Qt platform plugin, which Qt's own package only recommends.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
