# The installed program: executables in bin, the shared data in share/paperwake (copied into
# each user's own folder at first start), a desktop entry and an icon; and its Debian package.

install(TARGETS paperwake paperwake-cli paperwake-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY install/ DESTINATION ${PAPERWAKE_INSTALL_DATADIR})

# The page scripts are the system's: the package links to them instead of carrying copies.
set(PAPERWAKE_SCRIPT_LINKS ${CMAKE_BINARY_DIR}/script_links)
file(MAKE_DIRECTORY ${PAPERWAKE_SCRIPT_LINKS})
file(CREATE_LINK ${PAPERWAKE_JQUERY} ${PAPERWAKE_SCRIPT_LINKS}/jquery.min.js SYMBOLIC)
file(CREATE_LINK ${PAPERWAKE_BOOTSTRAP} ${PAPERWAKE_SCRIPT_LINKS}/bootstrap.min.js SYMBOLIC)
install(FILES ${PAPERWAKE_SCRIPT_LINKS}/jquery.min.js
        DESTINATION ${PAPERWAKE_INSTALL_DATADIR}/bin/assets/js)
install(FILES ${PAPERWAKE_SCRIPT_LINKS}/bootstrap.min.js
        DESTINATION ${PAPERWAKE_INSTALL_DATADIR}/bin/assets/bootstrap/js)

install(FILES packaging/paperwake.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/paperwake.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME paperwake)
set(CPACK_PACKAGE_VENDOR "Paperwake")
set(CPACK_PACKAGE_CONTACT "Paperwake team <team@paperwake.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns plain-text articles into PDFs that carry your ad")
set(CPACK_PACKAGE_DESCRIPTION
    "Paperwake pours .txt articles into a page under your advertisement (a title\n\
and a call-to-action button) and converts it to PDF with wkhtmltopdf where\n\
installed, else with its own offline engine on Qt WebEngine, or WeasyPrint:\n\
one PDF per article or one of them all, named from keyword combinations if\n\
you like. paperwake-cli does the same without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # paperwake_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The built-in engine needs Qt WebEngine's helper process, which no library link names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6webenginecore6-bin, libjs-jquery, libjs-bootstrap4, fonts-noto-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "wkhtmltopdf | weasyprint, fonts-noto-cjk, fonts-noto-color-emoji")
set(CPACK_STRIP_FILES ON)
include(CPack)
