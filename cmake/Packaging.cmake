# Installable packages, made with CPack from the install rules: a Debian package of the Linux
# program and a .zip of the Windows exe. The version is the one in project().
include(GNUInstallDirs)

if(WIN32)
    # The .zip: the exe beside the README and the licence, nothing to install.
    if(TARGET Tilewright)
        install(TARGETS Tilewright RUNTIME DESTINATION .)
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME Tilewright-${PROJECT_VERSION}-win64)
elseif(UNIX)
    # The program, .desktop file and icons come from ui/gtk; these complete a desktop install.
    install(FILES ${PROJECT_SOURCE_DIR}/assets/tilewright.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    # Debian keeps each package's licence as /usr/share/doc/<package>/copyright.
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tilewright RENAME copyright)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tilewright)

    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # Depends is worked out from the libraries the program links (libgtk-3-0, libc6, ...).
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
endif()

set(CPACK_PACKAGE_NAME tilewright)
set(CPACK_PACKAGE_VENDOR "The Tilewright developers")
set(CPACK_PACKAGE_CONTACT "The Tilewright developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Type a name of up to 19 characters, pick one of five icons and save: Tilewright writes the \
8192-byte image of a 27C64 EPROM carrying the name and the icon as tile codes.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
include(CPack)
