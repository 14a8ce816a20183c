# cpack.cmake: what an install holds beside the program, and the two packages made from it.
#
# POSIX: `cmake --install` puts bin/vrel, share/man/man1/vrel.1 and share/doc/vrel/ (the
# guide and the licence) under the prefix, and `cpack` makes the Debian package
# vrel_<version>_<arch>.deb (prefix /usr).
# Windows: `cpack` makes vrel-<version>-win64.zip holding vrel.exe (UTF-8), vrel-legacy.exe
# (the system's code page), README.md, LICENSE and vrel-terminal-profile.json (a Windows
# Terminal profile fragment).
# packaging/build-packages.sh builds both.

if(WIN32)
    install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
                  ${CMAKE_SOURCE_DIR}/packaging/vrel-terminal-profile.json DESTINATION .)
else()
    install(FILES ${CMAKE_SOURCE_DIR}/docs/vrel.1 DESTINATION share/man/man1)
    install(FILES ${CMAKE_SOURCE_DIR}/docs/guide.md DESTINATION share/doc/vrel)
    # Debian keeps each package's licence as share/doc/<package>/copyright.
    install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION share/doc/vrel RENAME copyright)
endif()

set(CPACK_PACKAGE_NAME vrel)
set(CPACK_PACKAGE_VENDOR "the vrel authors")
set(CPACK_PACKAGE_CONTACT "the vrel authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "small Unix-style command shell with its own file utilities")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
# Packages land in one folder of the build tree, not beside the build files.
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME vrel-${PROJECT_VERSION}-win64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # vrel_<version>_<arch>.deb
    set(CPACK_DEBIAN_PACKAGE_SECTION shells)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # The program is linked fully static: it needs no other package.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
    # The summary above is the first line; this is the text below it.
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
        "vrel reads command lines at a prompt with its own line editor (history with \
prefix search, file-name completion) or from scripts. Words are expanded with quotes, \
escapes and $ parameters with one-letter modifiers; commands are split at ; & and | with \
redirections. Conditionals and loops are single-command built-ins, and ls, cp, mv, rm, \
du, df, cat and chmod are built in on one wild-card directory walker.")
endif()

include(CPack)
