# The Debian package: cpack -G DEB in a Release build folder (or
# scripts/check-package.sh). It holds whatever the install rules install,
# so a new program or page needs no change here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${NXA_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brontel")
set(CPACK_PACKAGE_CONTACT "Brontel NXA Manager developers <nxa-manager@brontel.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "manager of the Brontel NXA ESD access-control tester")
# CPack puts the summary first and indents the rest; an empty line starts a
# paragraph.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "The Brontel NXA measures wrist straps and footwear at the entrance of an
electrostatic-protected area and records every access. Its manager downloads
the datalogger into a table, merges, exports (fixed-width text, XLSX) and
prints it, and edits, uploads and prints the tester's configuration. It also
runs unattended from the command line to download the datalogger into a file.

The package also holds nxa-collect, which downloads many testers on a schedule
into one deduplicated archive (SQLite, or PostgreSQL for a shared server), and
nxa-tester-sim, a simulated tester for trying the manager without one.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries a program links come from shlibdeps. What it loads at run
# time (fonts, plugins) a folder declares with
#   set_property(GLOBAL APPEND PROPERTY NXA_PACKAGE_DEPENDS package)
# Reports are printed in Liberation fonts.
set_property(GLOBAL APPEND PROPERTY NXA_PACKAGE_DEPENDS fonts-liberation)
get_property(nxa_depends GLOBAL PROPERTY NXA_PACKAGE_DEPENDS)
list(REMOVE_DUPLICATES nxa_depends)
list(JOIN nxa_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
