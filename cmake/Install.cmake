# Install rules of Korvanta, shared by `cmake --install` and the Debian package (debian/rules runs
# them through debhelper, which then strips, compresses and installs the docs and changelogs).

set(KORVANTA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/korvanta)
set(KORVANTA_GENERATED ${CMAKE_CURRENT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${KORVANTA_GENERATED})

# Files that carry the version.
configure_file(${KORVANTA_DIR}/packaging/korvanta.1 ${KORVANTA_GENERATED}/korvanta.1 @ONLY)
configure_file(${KORVANTA_DIR}/packaging/${KORVANTA_APP_ID}.metainfo.xml
    ${KORVANTA_GENERATED}/${KORVANTA_APP_ID}.metainfo.xml @ONLY)

# The executable as bin/korvanta (the build folder's copy is Korvanta). `cmake --install --strip`
# strips it; the package build leaves that to dh_strip.
install(PROGRAMS $<TARGET_FILE:Korvanta> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME korvanta)
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment
            --remove-section=.note
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/korvanta\")
    endif()
")

# The data folder: the marker of an installed copy and the example files (the default folder).
install(FILES ${KORVANTA_DIR}/packaging/installed-copy DESTINATION ${KORVANTA_INSTALL_DATA_DIR})
install(FILES ${KORVANTA_EXAMPLES} DESTINATION ${KORVANTA_INSTALL_DATA_DIR}/examples)

foreach(size 16 32 48 64 128 256)
    install(FILES ${KORVANTA_DIR}/resources/icons/korvanta-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME ${KORVANTA_APP_ID}.png)
endforeach()
install(FILES ${KORVANTA_DIR}/resources/icons/korvanta.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${KORVANTA_APP_ID}.svg)

install(FILES ${KORVANTA_GENERATED}/${KORVANTA_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The manual page as it is: man reads it so, and the package build gzips it (dh_compress).
install(FILES ${KORVANTA_GENERATED}/korvanta.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The read-me, the copyright statement (the one of the package) and the release notes. The
# package build turns this off: dh_installdocs and dh_installchangelogs install them there.
if(KORVANTA_INSTALL_DOCS)
    install(FILES ${KORVANTA_DIR}/README.md ${KORVANTA_DIR}/debian/copyright
        ${KORVANTA_DIR}/packaging/changelog DESTINATION ${KORVANTA_DOC_DIR})
endif()

# The desktop entry starts the command by its absolute path when bin/ is not where desktops look
# for commands (a prefix such as ~/.local, whose bin/ the desktop session may not have on its
# PATH); under /usr and /usr/local it keeps the plain command name. A path with characters that
# would need escaping in an Exec line keeps the plain name too. The prefix is the one given at
# install time (`cmake --install <build> --prefix <dir>`), so the install script writes it.
install(CODE "
    set(KORVANTA_BIN_DIR \"${CMAKE_INSTALL_BINDIR}\")
    set(KORVANTA_APPS_DIR \"${CMAKE_INSTALL_DATADIR}/applications\")
    set(KORVANTA_DESKTOP_SOURCE \"${KORVANTA_DIR}/resources/${KORVANTA_APP_ID}.desktop\")
    set(KORVANTA_DESKTOP_NAME \"${KORVANTA_APP_ID}.desktop\")
    set(KORVANTA_STAGING \"${CMAKE_CURRENT_BINARY_DIR}/install-staging\")
")
install(CODE [==[
    foreach(var KORVANTA_BIN_DIR KORVANTA_APPS_DIR)
        if(NOT IS_ABSOLUTE "${${var}}")
            set(${var} "${CMAKE_INSTALL_PREFIX}/${${var}}")
        endif()
    endforeach()
    set(executable "${KORVANTA_BIN_DIR}/korvanta")
    file(REMOVE_RECURSE "${KORVANTA_STAGING}")
    file(MAKE_DIRECTORY "${KORVANTA_STAGING}")
    file(READ "${KORVANTA_DESKTOP_SOURCE}" entry)
    if(NOT KORVANTA_BIN_DIR MATCHES "^/usr(/local)?/bin/?$"
            AND NOT executable MATCHES "[ \t\"'`$%\\;&|<>()]")
        string(REGEX REPLACE "\nExec=[^ \n]*" "\nExec=${executable}" entry "${entry}")
        string(REGEX REPLACE "\nTryExec=[^\n]*" "\nTryExec=${executable}" entry "${entry}")
    endif()
    file(WRITE "${KORVANTA_STAGING}/${KORVANTA_DESKTOP_NAME}" "${entry}")
    file(INSTALL DESTINATION "${KORVANTA_APPS_DIR}" TYPE FILE
        FILES "${KORVANTA_STAGING}/${KORVANTA_DESKTOP_NAME}")
]==])
