# The Debian package, built by `make package` (CPack's DEB generator) from the install() rules.
#
# Layout under /usr, as Debian's policy has it for a package of the distribution's kind:
#   lib/<package>/          the four programs side by side with help/, as in the build tree, so
#                           they find each other and their help beside themselves
#   bin/vardel ...          links to them, the commands on the PATH
#   share/applications/     the menu entries;  share/icons/hicolor/scalable/apps/  their icons
#   share/doc/<package>/    copyright, changelog, notes and the screenshot
# /opt is for add-on software from outside the distribution, and lintian flags a package there.
# The data live in /var/lib/<package> (EXAM_MACHINE_DATA_DIR), made by the postinst for the group;
# only programs that run from /usr/lib/<package> look there.

set(EXAM_DOC_DIR share/doc/${EXAM_PACKAGE})
set(EXAM_GROUP examcentre)
set(EXAM_PACKAGE_RELEASE 1)
set(EXAM_PACKAGE_MAINTAINER "exam-invigilation developers <exam-invigilation@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")

set(EXAM_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(EXAM_STAGING_DIR ${CMAKE_BINARY_DIR}/packaging)

# exam_install_program(TARGET LAUNCHER [MENU]): the program into lib/<package>, a link on the PATH,
# its manual page and, with MENU, its menu entry and icon.
function(exam_install_program target launcher)
    cmake_parse_arguments(P "MENU" "" "" ${ARGN})
    install(TARGETS ${target} RUNTIME DESTINATION ${EXAM_PROGRAM_DIR})
    if(NOT (UNIX AND NOT APPLE))
        return()
    endif()
    file(MAKE_DIRECTORY ${EXAM_STAGING_DIR}/bin ${EXAM_STAGING_DIR}/man)
    # A relative link: the package must work wherever it is unpacked, and the program finds its
    # folder through /proc/self/exe, so the link leads it to lib/<package>, not to bin/.
    file(CREATE_LINK ../${EXAM_PROGRAM_DIR}/${target} ${EXAM_STAGING_DIR}/bin/${launcher} SYMBOLIC)
    install(FILES ${EXAM_STAGING_DIR}/bin/${launcher} DESTINATION bin)
    configure_file(${EXAM_PACKAGING_DIR}/man/${launcher}.1.in ${EXAM_STAGING_DIR}/man/${launcher}.1 @ONLY)
    exam_gzip(${EXAM_STAGING_DIR}/man/${launcher}.1 share/man/man1)
    if(P_MENU)
        install(FILES ${EXAM_PACKAGING_DIR}/${launcher}.desktop DESTINATION share/applications)
        install(FILES ${EXAM_PACKAGING_DIR}/icons/${launcher}.svg DESTINATION share/icons/hicolor/scalable/apps)
    endif()
endfunction()

# Debian wants manual pages and changelogs compressed with gzip -9 and no name or time stamp
# inside, so that the same sources give the same package.
function(exam_gzip file destination)
    get_filename_component(name ${file} NAME)
    set(zipped ${file}.gz)
    add_custom_command(OUTPUT ${zipped} COMMAND gzip -9nc ${file} > ${zipped} DEPENDS ${file} VERBATIM)
    string(MAKE_C_IDENTIFIER ${name} id)
    add_custom_target(gzip_${id} ALL DEPENDS ${zipped})
    install(FILES ${zipped} DESTINATION ${destination})
endfunction()

if(UNIX AND NOT APPLE)
    # The maintainer scripts and the notes name the data folder and the group.
    foreach(script postinst postrm)
        configure_file(${EXAM_PACKAGING_DIR}/debian/${script}.in ${EXAM_STAGING_DIR}/control/${script} @ONLY
                       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                        WORLD_READ WORLD_EXECUTE)
    endforeach()
    configure_file(${EXAM_PACKAGING_DIR}/debian/changelog.in ${EXAM_STAGING_DIR}/changelog.Debian @ONLY)
    exam_gzip(${EXAM_STAGING_DIR}/changelog.Debian ${EXAM_DOC_DIR})
    # The mark that tells the programs they are installed (common::installedPlace).
    configure_file(${EXAM_PACKAGING_DIR}/installed.ini.in ${EXAM_STAGING_DIR}/installed.ini @ONLY)
    install(FILES ${EXAM_STAGING_DIR}/installed.ini DESTINATION ${EXAM_PROGRAM_DIR})
    configure_file(${EXAM_PACKAGING_DIR}/debian/README.Debian.in ${EXAM_STAGING_DIR}/README.Debian @ONLY)
    install(FILES ${EXAM_PACKAGING_DIR}/debian/copyright ${EXAM_STAGING_DIR}/README.Debian
                  ${CMAKE_SOURCE_DIR}/docs/main-window.png
            DESTINATION ${EXAM_DOC_DIR})

    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGE_NAME ${EXAM_PACKAGE})
    set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
    # /usr, where the programs look for themselves (EXAM_INSTALLED_PROGRAM_DIR)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_STRIP_FILES ON)
    set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_RELEASE ${EXAM_PACKAGE_RELEASE})
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${EXAM_PACKAGE_MAINTAINER})
    set(CPACK_DEBIAN_PACKAGE_SECTION education)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
    file(READ ${EXAM_PACKAGING_DIR}/debian/description CPACK_DEBIAN_PACKAGE_DESCRIPTION)
    string(CONFIGURE "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}" CPACK_DEBIAN_PACKAGE_DESCRIPTION @ONLY)
    string(STRIP "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
    # dpkg-shlibdeps finds the libraries the programs link; what Qt loads at run time it cannot
    # see: the SQLite driver, the PostgreSQL driver of the server mode, the platform plugins,
    # Qt's own Chinese texts and the CJK fonts. The server itself runs elsewhere: suggested.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins, qt6-translations-l10n, fonts-noto-cjk")
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS "postgresql")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${EXAM_STAGING_DIR}/control/postinst
                                           ${EXAM_STAGING_DIR}/control/postrm)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    include(CPack)
endif()
