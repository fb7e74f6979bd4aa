# What an installation holds, and the Debian package built from it with `cpack -G DEB`.
include(GNUInstallDirs)

set(TK_DATA_DIR ${CMAKE_INSTALL_DATADIR}/tk820-2)

install(TARGETS tk820-2 tk820-emu tk820-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program looks for its help in <prefix>/share/tk820-2 beside <prefix>/bin.
install(FILES ${PROJECT_SOURCE_DIR}/help/TK820_2D.hlp ${PROJECT_SOURCE_DIR}/help/TK820_2E.hlp
        DESTINATION ${TK_DATA_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${TK_DATA_DIR}/examples)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tk820-2.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tk820-2.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Who answers for the package: the Maintainer field and the changelog's signature.
set(TK_PACKAGE_MAINTAINER "tk820-2 developers <tk820-2@users.noreply.github.com>"
    CACHE STRING "Name and mail address of the package's maintainer")

# The licence is the package's copyright file; the changelog goes compressed, as Debian keeps it.
set(TK_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tk820-2)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${TK_DOC_DIR} RENAME copyright)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
    COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/doc/changelog > ${CMAKE_BINARY_DIR}/doc/changelog.gz
    DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/doc/changelog.gz DESTINATION ${TK_DOC_DIR})

# Manual pages go compressed, as Debian keeps them.
foreach(page tk820-2 tk820-emu tk820-convert)
    set(gz ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${gz}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/man/${page}.1 > ${gz}
        DEPENDS ${CMAKE_CURRENT_LIST_DIR}/man/${page}.1 VERBATIM)
    list(APPEND TK_MAN_PAGES ${gz})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${TK_MAN_PAGES})
install(FILES ${TK_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME tk820-2)
set(CPACK_PACKAGE_VENDOR "ZELOR Instruments")
set(CPACK_PACKAGE_CONTACT "${TK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop front end for the TK820-2 interface of TR61xx spectrum analyzers")
# Debian's lines of the long description are at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Reads the actual, peak-hold and average traces of a TR61xx spectrum analyzer\n"
    "through the TK820-2 serial interface, shows them as a spectrum graph, checks\n"
    "them against boundary lines, and stores settings, measurements, calibration\n"
    "curves and scripts. With tk820-emu, an emulated interface, and tk820-convert,\n"
    "which turns the data files into JSON and CSV and back and draws pictures of\n"
    "measurements.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Recordings go through Qt's SQLite driver, a plugin that no library links to.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
