# The Debian package: `cpack -G DEB` in a build folder. Its maintainer scripts create the qvtouch
# group, write the store's initial values and enable the driver host's unit.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qvtouch)
set(CPACK_PACKAGE_CONTACT "QVTouch maintainers <root@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Touch screen driver for serial touch controllers")
set(CPACK_PACKAGE_DESCRIPTION
    "The driver host qvtouch turns a serial touch controller's reports into pointer moves, clicks\n\
and drags; qvsercalib calibrates the screen; the settings applet sets the driver's options.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# addgroup for the group; the unit helpers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser, init-system-helpers (>= 1.54)")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/prerm
    ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
