# Installable packages, made with CPack from the install rules: a Debian package of the Linux
# programs and a .zip of the Windows exes. The version is the one in project().
include(GNUInstallDirs)

# Who answers for the Debian package. The project has no contact address of its own, so whoever
# builds a package to hand out sets theirs: -DTILEWRIGHT_MAINTAINER="Name <address>". The
# default only has the form Debian requires; .invalid is a domain that can never receive mail.
set(TILEWRIGHT_MAINTAINER "Unnamed Tilewright packager <packager@example.invalid>"
    CACHE STRING "Maintainer of the Debian package: \"Name <address>\"")

if(WIN32)
    # The .zip: the exes (each installs itself into the zip's top folder) beside the README and
    # the licence, nothing to install.
    install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME Tilewright-${PROJECT_VERSION}-win64)
elseif(UNIX)
    find_program(GZIP_PROGRAM gzip REQUIRED)
    set(doc_build_dir ${CMAKE_BINARY_DIR}/package-docs)
    set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tilewright)
    set(compressed_docs)

    # Manual pages (man/, each naming the project's version, which the package tests check),
    # compressed as Debian wants them: maximum compression, and no name or time stamp so that
    # every build gives the same bytes. A program not built here has no page installed.
    foreach(program tilewright tilewright-cli)
        if(TARGET ${program})
            set(page ${doc_build_dir}/${program}.1)
            configure_file(${PROJECT_SOURCE_DIR}/man/${program}.1 ${page} COPYONLY)
            add_custom_command(
                OUTPUT ${page}.gz
                COMMAND ${GZIP_PROGRAM} -9nkf ${page}
                DEPENDS ${page}
                VERBATIM)
            install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
            list(APPEND compressed_docs ${page}.gz)
        endif()
    endforeach()

    # Debian's changelog for the package, made from CHANGELOG.md.
    set(changelog ${doc_build_dir}/changelog)
    add_custom_command(
        OUTPUT ${changelog}.gz
        COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/debian_changelog.py
                ${PROJECT_SOURCE_DIR}/CHANGELOG.md tilewright ${TILEWRIGHT_MAINTAINER} ${changelog}
        COMMAND ${GZIP_PROGRAM} -9nf ${changelog}
        DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/tools/debian_changelog.py
        COMMENT "Making the Debian changelog from CHANGELOG.md"
        VERBATIM)
    list(APPEND compressed_docs ${changelog}.gz)
    add_custom_target(package_docs ALL DEPENDS ${compressed_docs})

    # The licence as a machine-readable Debian copyright file: the holder from its copyright
    # line, and the terms below it with each line indented and blank lines written as ".".
    file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
    if(NOT licence MATCHES "^MIT License\n\nCopyright \\(c\\) ([^\n]+)\n\n(.+[^\n])\n*$")
        message(FATAL_ERROR "LICENSE is not the MIT licence with one copyright line")
    endif()
    set(holder ${CMAKE_MATCH_1})
    string(REPLACE "\n\n" "\n.\n" terms "${CMAKE_MATCH_2}")
    string(REPLACE "\n" "\n " terms "${terms}")
    file(CONFIGURE OUTPUT ${doc_build_dir}/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Tilewright

Files: *
Copyright: @holder@
License: Expat

License: Expat
 @terms@
")
    install(FILES ${doc_build_dir}/copyright ${changelog}.gz ${PROJECT_SOURCE_DIR}/README.md
            DESTINATION ${doc_dir})
    # The programs, .desktop file and icons come from their folders; this completes a desktop
    # install.
    install(FILES ${PROJECT_SOURCE_DIR}/assets/tilewright.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # Depends is worked out from the libraries the programs link (libgtk-3-0, libc6, ...).
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
endif()

set(CPACK_PACKAGE_NAME tilewright)
set(CPACK_PACKAGE_VENDOR "The Tilewright developers")
set(CPACK_PACKAGE_CONTACT "${TILEWRIGHT_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Debian shows the description on 80-column terminals: lines of at most 79 characters, each
# of which CPack indents by one space; an empty line separates paragraphs.
set(CPACK_PACKAGE_DESCRIPTION
    "Tilewright makes the 8192-byte image of a 27C64 EPROM that carries a name of up
to 19 characters and one of five small icons, written in the tile codes of the
display that shows them. Type the name in the window, pick an icon and choose
where to save: the file receives the image, ready for an EPROM programmer.")
if(TARGET tilewright-cli)
    string(APPEND CPACK_PACKAGE_DESCRIPTION "

tilewright-cli makes the same images from the command line, one at a time or
many from a list, as binary, Intel HEX or S-record files, and checks an image
read back from a chip.")
endif()
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
include(CPack)
