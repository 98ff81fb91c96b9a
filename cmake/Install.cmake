# Install rules of Korvanta, shared by `cmake --install` and the Debian package (cmake/Package.cmake).

set(KORVANTA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/korvanta)
set(KORVANTA_GENERATED ${CMAKE_CURRENT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${KORVANTA_GENERATED})

# Files that carry the version, and the compressed manual page and changelog (gzip -9n: no name
# and no time stamp, so the same tree gives the same bytes).
configure_file(${KORVANTA_DIR}/packaging/korvanta.1 ${KORVANTA_GENERATED}/korvanta.1 @ONLY)
configure_file(${KORVANTA_DIR}/packaging/changelog.in ${KORVANTA_GENERATED}/changelog @ONLY)
configure_file(${KORVANTA_DIR}/packaging/${KORVANTA_APP_ID}.metainfo.xml
    ${KORVANTA_GENERATED}/${KORVANTA_APP_ID}.metainfo.xml @ONLY)
find_program(KORVANTA_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${KORVANTA_GENERATED}/korvanta.1.gz ${KORVANTA_GENERATED}/changelog.gz
    COMMAND ${KORVANTA_GZIP} -9nkf ${KORVANTA_GENERATED}/korvanta.1 ${KORVANTA_GENERATED}/changelog
    DEPENDS ${KORVANTA_GENERATED}/korvanta.1 ${KORVANTA_GENERATED}/changelog
    COMMENT "Compressing the manual page and the changelog")
add_custom_target(korvanta_install_docs ALL
    DEPENDS ${KORVANTA_GENERATED}/korvanta.1.gz ${KORVANTA_GENERATED}/changelog.gz)

# The executable as bin/korvanta (the build folder's copy is Korvanta). `cmake --install --strip`
# and the package strip it.
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
install(FILES ${KORVANTA_GENERATED}/korvanta.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The example files are in code page 932 on purpose: lintian is told so.
install(FILES ${KORVANTA_DIR}/packaging/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME korvanta)
install(FILES ${KORVANTA_DIR}/README.md ${KORVANTA_DIR}/packaging/copyright
    ${KORVANTA_GENERATED}/changelog.gz DESTINATION ${KORVANTA_DOC_DIR})

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
