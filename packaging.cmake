# Installation and the Debian package. The program, its pictures and help lie together in lib/tokiro (it finds them
# beside itself); a link in bin starts it; the desktop entry, AppStream metadata, icons, manual page, copyright and
# changelog go where the desktop and Debian look for them. Everything goes under the prefix:
# /usr/local for `cmake --install`, /usr in the package.
include(GNUInstallDirs)
set(TOKIRO_PROGRAM_DIR lib/tokiro)

# Before anything is put in place: which of the folders this install fills do not exist yet. The uninstall removes
# those again (when empty) and leaves every folder that was there before. A package build (DESTDIR set) records nothing.
set(icon_folders)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND icon_folders ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
         ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size})
endforeach()
# Deepest first, the order they are removed in.
set(TOKIRO_INSTALL_FOLDERS ${TOKIRO_PROGRAM_DIR} ${CMAKE_INSTALL_DOCDIR} ${icon_folders}
    ${CMAKE_INSTALL_DATADIR}/icons/hicolor ${CMAKE_INSTALL_DATADIR}/icons ${CMAKE_INSTALL_DATADIR}/applications
    ${CMAKE_INSTALL_DATADIR}/metainfo ${CMAKE_INSTALL_MANDIR}/ja/man1 ${CMAKE_INSTALL_MANDIR}/ja
    ${CMAKE_INSTALL_MANDIR}/man1 ${CMAKE_INSTALL_MANDIR} ${CMAKE_INSTALL_DATADIR}/doc
    ${CMAKE_INSTALL_BINDIR} lib ${CMAKE_INSTALL_DATADIR})
install(CODE "
    set(tokiro_folders \"${TOKIRO_INSTALL_FOLDERS}\")
    set(tokiro_record \"${CMAKE_BINARY_DIR}/install_created_folders.txt\")
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
        set(created)
        foreach(folder IN LISTS tokiro_folders)
            if(NOT IS_DIRECTORY \"\${CMAKE_INSTALL_PREFIX}/\${folder}\")
                list(APPEND created \"\${CMAKE_INSTALL_PREFIX}/\${folder}\")
            endif()
        endforeach()
        list(JOIN created \"\\n\" lines)
        file(WRITE \"\${tokiro_record}\" \"\${lines}\")
    endif()
")

install(TARGETS tokiro RUNTIME DESTINATION ${TOKIRO_PROGRAM_DIR})
install(FILES assets/uma01.jpg assets/uma02.jpg assets/uma03.jpg assets/uma04.jpg assets/tokiro.hlp
        DESTINATION ${TOKIRO_PROGRAM_DIR})

# The launcher: a relative link, made in the build tree and installed as a link, so that install_manifest.txt
# lists it and the uninstall removes it.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/launcher)
file(CREATE_LINK ../${TOKIRO_PROGRAM_DIR}/tokiro ${CMAKE_BINARY_DIR}/launcher/tokiro SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/launcher/tokiro DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES assets/tokiro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The race files' type, with the program's icon, for the file manager to open them with the program.
install(FILES assets/tokiro-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tokiro.xml)
install(FILES assets/io.github.tokiro.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY assets/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# Manual pages (English, and Japanese as the program speaks it) and changelog compressed as Debian wants them (gzip -9,
# no name or time stamp inside).
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${packaging_out})
foreach(doc tokiro.1 tokiro.ja.1 changelog)
    add_custom_command(OUTPUT ${packaging_out}/${doc}.gz
        COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${doc} > ${packaging_out}/${doc}.gz
        DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${doc}
        VERBATIM)
endforeach()
# The help as a web page, to read outside the program: made from the help document the program shows.
add_custom_command(OUTPUT ${packaging_out}/help.html
    COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_CURRENT_SOURCE_DIR}/assets/tokiro.hlp -DOUT=${packaging_out}/help.html
            -P ${CMAKE_CURRENT_SOURCE_DIR}/packaging/help_html.cmake
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/assets/tokiro.hlp ${CMAKE_CURRENT_SOURCE_DIR}/packaging/help_html.cmake
    VERBATIM)
install(FILES ${packaging_out}/help.html DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_target(tokiro_docs ALL DEPENDS ${packaging_out}/help.html ${packaging_out}/tokiro.1.gz ${packaging_out}/tokiro.ja.1.gz
                                         ${packaging_out}/changelog.gz)
install(FILES ${packaging_out}/tokiro.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# man shows this one where the language is Japanese.
install(FILES ${packaging_out}/tokiro.ja.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1 RENAME tokiro.1.gz)
install(FILES packaging/copyright ${packaging_out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# `cmake --build <dir> --target uninstall` removes what `cmake --install <dir>` put in place, and the folders that
# install made.
add_custom_target(uninstall
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
            -DFOLDERS=${CMAKE_BINARY_DIR}/install_created_folders.txt
            -P ${CMAKE_CURRENT_SOURCE_DIR}/packaging/uninstall.cmake
    VERBATIM)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tokiro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}.0)
set(CPACK_PACKAGE_VENDOR "トキロ開発チーム")
set(CPACK_PACKAGE_CONTACT "トキロ開発チーム <maintainers@users.noreply.c-seed-3b01025b.example>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quinella ticket proposals for Japanese horse races")
# The extended description; CPack puts the summary above it as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tokiro (トキロ) proposes quinella (馬連) tickets for one Japanese horse race
at a time from the prediction marks (◎ ○ △ ▲ × ★) given to each runner.
It keeps every race in a small text file, records the finishers, the payout
and the money staked and received, and keeps score of how its proposals
fared. All of its screens are in Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": Debian keeps that section for programs in /usr/games, and this one is a tool for race fans.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Beside the libraries: the fonts the screens ask for and Qt's Japanese texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-mincho, fonts-ipafont-gothic, qt6-translations-l10n")
include(CPack)
