# Installation and the Debian package: the program, its pictures and help in one folder, a link on the PATH,
# a desktop entry and an icon.
install(TARGETS tokiro RUNTIME DESTINATION .)
install(FILES assets/uma01.jpg assets/uma02.jpg assets/uma03.jpg assets/uma04.jpg assets/tokiro.hlp DESTINATION .)
install(FILES assets/tokiro.desktop DESTINATION /usr/share/applications)
install(FILES assets/tokiro.png DESTINATION /usr/share/icons/hicolor/256x256/apps)
install(CODE [[
    file(MAKE_DIRECTORY "$ENV{DESTDIR}/usr/local/bin")
    file(CREATE_LINK "${CMAKE_INSTALL_PREFIX}/tokiro" "$ENV{DESTDIR}/usr/local/bin/tokiro" SYMBOLIC)
]])

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tokiro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}.0)
set(CPACK_PACKAGE_VENDOR "トキロ")
set(CPACK_PACKAGE_CONTACT "tokiro@localhost")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quinella ticket proposals for Japanese horse races")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/tokiro)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-mincho, fonts-ipafont-gothic")
include(CPack)
