# cpack -G DEB from the build folder makes quillon_<version>_<arch>.deb with
# the programs, their desktop files and documentation under /usr. The
# library dependencies come from dpkg-shlibdeps, so they follow whatever
# Xerces and Qt the package was built against.
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Morvane")
set(CPACK_PACKAGE_CONTACT "Quillon developers <quillon@morvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compare two XML documents element by element")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillon compares two XML documents and shows their differences side by side:\n"
    "two tree panes with every element painted by its state, stepping from\n"
    "difference to difference, ignore rules and key elements, and XML output of\n"
    "the differences, a merge with markers, or the common, changed or deleted\n"
    "parts.\n"
    "\n"
    "The package holds the desktop program, quillon; the console program,\n"
    "quillon-diff, which also compares folders of XML files and serves as git's\n"
    "external diff for XML files; and quillon-merge, a three-way merge of XML\n"
    "documents element by element that serves as git's merge driver.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillon.morvane.example/")
include(CPack)
