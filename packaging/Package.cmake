# `cpack -G DEB` in the build folder (or `cmake --build build --target package`): a Debian package
# of everything `cmake --install` installs, under /usr, with its library dependencies found by
# dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME chromet)
set(CPACK_PACKAGE_VENDOR "The Chromet developers")
set(CPACK_PACKAGE_CONTACT "The Chromet developers <support@chromet.app>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen color picker for the system tray")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://chromet.app/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The long description; CPack puts the summary above it and indents it as the control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Chromet lives in the system tray. A global shortcut (Ctrl+Alt+C by default)
opens a magnifying loupe over every display, and a click copies the color
under it as code: HEX, RGB, HSL, OKLCH, SwiftUI, NSColor, UIColor, a CSS
variable or the nearest Tailwind name. Picked colors are kept in a history
and in palettes that export as Swift, CSS or Tailwind source; a contrast
checker shows WCAG and APCA figures. The chromet command also formats
colors, compares them and exports palettes on the command line.")

include(CPack)
