# Installs the build into a scratch folder as the Debian package does (DESTDIR, prefix /usr) and checks that exactly
# the expected files arrive: what the program needs beside itself at run time, and what the desktop and Debian look
# for. The component is named so that the build folder's install_manifest.txt, which the uninstall target reads after
# a real install, is left alone.
# cmake -DBUILD=<build folder> -DSOURCE=<source folder> -DOUT=<scratch folder> -P install_layout.cmake
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "DESTDIR=${OUT}"
                        "${CMAKE_COMMAND}" --install "${BUILD}" --prefix /usr --component Unspecified
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the install failed: ${errors}")
endif()

set(expected
    usr/bin/tokiro
    usr/lib/tokiro/tokiro
    usr/lib/tokiro/tokiro.hlp
    usr/lib/tokiro/uma01.jpg usr/lib/tokiro/uma02.jpg usr/lib/tokiro/uma03.jpg usr/lib/tokiro/uma04.jpg
    usr/share/applications/tokiro.desktop
    usr/share/mime/packages/tokiro.xml
    usr/share/metainfo/io.github.tokiro.metainfo.xml
    usr/share/man/man1/tokiro.1.gz
    usr/share/man/ja/man1/tokiro.1.gz
    usr/share/doc/tokiro/copyright
    usr/share/doc/tokiro/help.html
    usr/share/doc/tokiro/changelog.gz)
file(GLOB_RECURSE icons RELATIVE "${SOURCE}/assets/icons" "${SOURCE}/assets/icons/*")
foreach(icon IN LISTS icons)
    list(APPEND expected usr/share/icons/hicolor/${icon})
endforeach()
list(SORT expected)

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${OUT}" "${OUT}/*")
list(SORT installed)
if(NOT installed STREQUAL expected)
    set(missing ${expected})
    list(REMOVE_ITEM missing ${installed})
    set(extra ${installed})
    list(REMOVE_ITEM extra ${expected})
    message(FATAL_ERROR "installed files differ; missing: ${missing}; not expected: ${extra}")
endif()

# The launcher is a relative link to the program, so that the program finds its pictures and help beside
# itself wherever the package's files lie.
if(NOT IS_SYMLINK "${OUT}/usr/bin/tokiro")
    message(FATAL_ERROR "usr/bin/tokiro is not a link")
endif()
file(READ_SYMLINK "${OUT}/usr/bin/tokiro" target)
if(NOT target STREQUAL "../lib/tokiro/tokiro")
    message(FATAL_ERROR "usr/bin/tokiro points to ${target}")
endif()
# The help's web page is the help document, whole; the manual pages name it.
file(READ "${SOURCE}/assets/tokiro.hlp" help)
file(READ "${OUT}/usr/share/doc/tokiro/help.html" page)
string(FIND "${page}" "<h2><a name=\"contents\"></a>目次</h2>" contents)
if(contents LESS 0 OR NOT page MATCHES "</html>")
    message(FATAL_ERROR "help.html is not the whole help")
endif()
foreach(manual tokiro.1 tokiro.ja.1)
    file(READ "${SOURCE}/packaging/${manual}" text)
    if(NOT text MATCHES "\n\\.SH (SEE ALSO|関連項目)\n[^\n]*\n[^\n]*/usr/share/doc/tokiro/help\\.html")
        message(FATAL_ERROR "${manual} does not name the help's web page under SEE ALSO")
    endif()
endforeach()

# The race files' type, read by the desktop's own tool: *.tkr is a Tokiro race, shown with the program's icon, and
# the desktop entry opens it, handing the file over.
find_program(UPDATE_MIME update-mime-database)
if(UPDATE_MIME)
    execute_process(COMMAND "${UPDATE_MIME}" "${OUT}/usr/share/mime" RESULT_VARIABLE status ERROR_VARIABLE errors)
    file(STRINGS "${OUT}/usr/share/mime/globs2" globs REGEX "tokiro")
    file(STRINGS "${OUT}/usr/share/mime/icons" mimeIcons REGEX "tokiro")
    if(NOT status EQUAL 0 OR NOT globs MATCHES "application/x-tokiro-race:\\*\\.tkr"
       OR NOT mimeIcons STREQUAL "application/x-tokiro-race:tokiro")
        message(FATAL_ERROR "the race file type is not registered: ${errors} ${globs} ${mimeIcons}")
    endif()
else()
    message(WARNING "update-mime-database not found: the race file type is not checked (scripts/deps.sh test)")
endif()
file(STRINGS "${OUT}/usr/share/applications/tokiro.desktop" entry REGEX "^(Exec|MimeType)=")
if(NOT entry MATCHES "Exec=tokiro --own-folder %f" OR NOT entry MATCHES "MimeType=application/x-tokiro-race")
    message(FATAL_ERROR "the desktop entry does not open race files: ${entry}")
endif()
file(REMOVE_RECURSE "${OUT}")
