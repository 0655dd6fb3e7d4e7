# Installation and the Debian package (./run.sh package, or cpack in the
# build tree): the program, its menu entry with the icon, and the man page of
# its command-line jobs. The Debian dependencies on the libraries it links
# (the Firebird client, Qt 6, ICU) are read off the binary by dpkg-shlibdeps.
include(GNUInstallDirs)

install(TARGETS VELDRUN RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${PROJECT_SOURCE_DIR}/packaging/veldrun.desktop"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/veldrun.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Man pages go compressed, without a time stamp in the gzip header.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(VELDRUN_MANPAGE "${CMAKE_BINARY_DIR}/VELDRUN.1.gz")
add_custom_command(OUTPUT "${VELDRUN_MANPAGE}"
    COMMAND "${GZIP_EXECUTABLE}" -9nc "${PROJECT_SOURCE_DIR}/packaging/VELDRUN.1" > "${VELDRUN_MANPAGE}"
    DEPENDS "${PROJECT_SOURCE_DIR}/packaging/VELDRUN.1"
    VERBATIM)
add_custom_target(veldrun_manpage ALL DEPENDS "${VELDRUN_MANPAGE}")
install(FILES "${VELDRUN_MANPAGE}" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veldrun)
set(CPACK_PACKAGE_VENDOR "VELDRUN")
set(CPACK_PACKAGE_CONTACT "VELDRUN developers <veldrun@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "supplier master maintenance of a construction suite (仕入先マスター登録)")
set(CPACK_PACKAGE_DESCRIPTION
    "The supplier master screen of a construction-business suite for Japanese building firms, kept from the \
keyboard over the suite's Firebird database, with its printed list, and the postal-code file and supplier \
files from other systems as command-line jobs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the binary does not name but needs: the Mincho and Gothic faces the
# screens and the printed list are laid out in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-mincho, fonts-ipafont-gothic")
# The suite's database server is usually another machine.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "firebird3.0-server")
include(CPack)
