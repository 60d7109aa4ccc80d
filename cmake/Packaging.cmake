# The Debian package, built by `make package` (CPack's DEB generator) from the install() rules.
#
# Layout under /usr, as Debian's policy has it for a package of the distribution's kind:
#   lib/<package>/          the four programs side by side, as in the build tree, so that they
#                           find each other, and the mark that they are installed (installed.ini)
#   bin/vardel ...          small scripts that start them, the commands on the PATH
#   share/help/zh_CN/<package>/  the operator's guide (F1), where the desktop keeps an
#                           application's help: not in share/doc, which a system may do without
#   share/applications/     the menu entries;  share/icons/hicolor/scalable/apps/  their icons
#   share/doc/<package>/    copyright, changelog, notes and the screenshot
# /opt is for add-on software from outside the distribution, and lintian flags a package there.
# The data live in /var/lib/<package> (EXAM_MACHINE_DATA_DIR), made by the postinst for the
# group; the installed programs never use their own folder for data, reports or templates.

set(EXAM_DOC_DIR share/doc/${EXAM_PACKAGE})
set(EXAM_GROUP examcentre)
set(EXAM_PACKAGE_RELEASE 1)
set(EXAM_PACKAGE_MAINTAINER "exam-invigilation developers <exam-invigilation@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")

set(EXAM_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(EXAM_STAGING_DIR ${CMAKE_BINARY_DIR}/packaging)

# exam_install_program(TARGET LAUNCHER [MENU]): the program into lib/<package>, without the
# compiler's notes; the command on the PATH that starts it, its manual page and, with MENU, its
# menu entry and icon.
function(exam_install_program target launcher)
    cmake_parse_arguments(P "MENU" "" "" ${ARGN})
    install(TARGETS ${target} RUNTIME DESTINATION ${EXAM_PROGRAM_DIR})
    if(NOT (UNIX AND NOT APPLE))
        return()
    endif()
    # What dh_strip also takes away: the compiler's identification and notes, of no use at run time.
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${EXAM_PROGRAM_DIR}/$<TARGET_FILE_NAME:${target}>\"
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()")
    file(MAKE_DIRECTORY ${EXAM_STAGING_DIR}/bin ${EXAM_STAGING_DIR}/man)
    set(LAUNCHER ${launcher})
    set(TARGET ${target})
    configure_file(${EXAM_PACKAGING_DIR}/launcher.in ${EXAM_STAGING_DIR}/bin/${launcher} @ONLY)
    install(PROGRAMS ${EXAM_STAGING_DIR}/bin/${launcher} DESTINATION bin)
    configure_file(${EXAM_PACKAGING_DIR}/man/${launcher}.1.in ${EXAM_STAGING_DIR}/man/${launcher}.1 @ONLY)
    exam_gzip(${EXAM_STAGING_DIR}/man/${launcher}.1 share/man/man1)
    # examdb speaks Chinese, and so does its manual page in a Chinese locale.
    if(EXISTS ${EXAM_PACKAGING_DIR}/man/zh_CN/${launcher}.1.in)
        file(MAKE_DIRECTORY ${EXAM_STAGING_DIR}/man/zh_CN)
        configure_file(${EXAM_PACKAGING_DIR}/man/zh_CN/${launcher}.1.in ${EXAM_STAGING_DIR}/man/zh_CN/${launcher}.1
                       @ONLY)
        exam_gzip(${EXAM_STAGING_DIR}/man/zh_CN/${launcher}.1 share/man/zh_CN/man1)
    endif()
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
    string(MAKE_C_IDENTIFIER ${destination}/${name} id)
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
    # The Debian changelog is CHANGELOG.md's: one entry per version, with its date; a version
    # still unreleased is dated by SOURCE_DATE_EPOCH, else by the newest commit, else by now.
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
        string(TIMESTAMP EXAM_CHANGELOG_DATE "%Y-%m-%d %H:%M:%S" UTC)
    else()
        execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
                        OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
                        RESULT_VARIABLE no_git)
        # string(TIMESTAMP) formats SOURCE_DATE_EPOCH when it is set: the commit's time, for this
        # one call.
        if(NOT no_git)
            set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
        endif()
        string(TIMESTAMP EXAM_CHANGELOG_DATE "%Y-%m-%d %H:%M:%S" UTC)
        unset(ENV{SOURCE_DATE_EPOCH})
    endif()
    add_custom_command(OUTPUT ${EXAM_STAGING_DIR}/changelog.Debian
        COMMAND awk -v package=${EXAM_PACKAGE} -v release=${EXAM_PACKAGE_RELEASE}
                    -v maintainer=${EXAM_PACKAGE_MAINTAINER} -v today=${EXAM_CHANGELOG_DATE}
                    -f ${EXAM_PACKAGING_DIR}/debian/changelog.awk ${CMAKE_SOURCE_DIR}/CHANGELOG.md
                    > ${EXAM_STAGING_DIR}/changelog.Debian
        DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${EXAM_PACKAGING_DIR}/debian/changelog.awk VERBATIM)
    exam_gzip(${EXAM_STAGING_DIR}/changelog.Debian ${EXAM_DOC_DIR})
    install(FILES ${EXAM_PACKAGING_DIR}/debian/lintian-overrides DESTINATION share/lintian/overrides
            RENAME ${EXAM_PACKAGE})
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
    # dpkg-shlibdeps finds the libraries the programs link (Qt, FreeXL, QuaZip, OpenSSL); what Qt
    # loads at run time it cannot see: the SQLite driver, the platform plugins and Chinese glyphs,
    # from either font. Recommended: Qt's own Chinese texts, the PostgreSQL driver of the server
    # mode and xdg-open, which opens the reports in the browser (without it the programs say where
    # the report is). The server itself runs elsewhere: suggested.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, fonts-noto-cjk | fonts-wqy-microhei")
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libqt6sql6-psql, xdg-utils")
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS "postgresql")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${EXAM_STAGING_DIR}/control/postinst
                                           ${EXAM_STAGING_DIR}/control/postrm)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    include(CPack)
endif()
