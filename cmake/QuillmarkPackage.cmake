# The Debian package, `cpack -G DEB` in the build folder: what `cmake --install`
# puts under /usr, with the library dependencies read off the programs.
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VENDOR Quillmark)
set(CPACK_PACKAGE_CONTACT "Quillmark developers <quillmark@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "read-only viewer for NSF health-claim files")
# Control-file lines stay under 80 characters; CPack indents them.
set(CPACK_PACKAGE_DESCRIPTION
"Quillmark shows claim files in the National Standard Format (NSF) as a
tree of file headers, batches and claims, and each claim record by record
and field by field: name, value, whether the value passed its check, and
where its characters lie in the raw 320-column line. The claim trailer's
counts and amounts are verified. Files are never changed.

The package holds the viewer quillmark, the command-line dissector
quillmark-cli (text or JSON output, for scripts), the map files of NSF
versions 2.00 and 3.01, a desktop entry and a file type for *.nsf files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries the programs link (Qt Widgets, Qt SVG, Qt Charts, RE2) are
# read off the programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's window-system plugins are only a recommendation of its GUI library, but
# the viewer cannot show a window without them.
if(QUILLMARK_BUILD_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()

set(CPACK_GENERATOR DEB)
include(CPack)
