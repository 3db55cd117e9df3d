# The Debian package: `cpack -G DEB` in a build folder configured with
# -DCMAKE_INSTALL_PREFIX=/usr (scripts/package.sh does both).
configure_file(${CMAKE_SOURCE_DIR}/data/debian/changelog ${CMAKE_BINARY_DIR}/debian/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
    COMMAND gzip -9 -n -f -k ${CMAKE_BINARY_DIR}/debian/changelog.Debian
    DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian)
add_custom_target(kestrin_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
install(FILES ${CMAKE_SOURCE_DIR}/data/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrin)

set(CPACK_PACKAGE_NAME kestrin)
set(CPACK_PACKAGE_VENDOR Marvoke)
set(CPACK_PACKAGE_CONTACT "KestrinJPEG developers <kestrin@marvoke.jp>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "make JPEG files smaller without re-encoding them")
set(CPACK_PACKAGE_DESCRIPTION "KestrinJPEG removes what a JPEG picture does not need
(application segments, comments, proprietary data, trailing data) without
re-encoding it, and proves every change by comparing the decoded pixels with
the unchanged picture. It backs up, deletes and re-embeds Exif blocks and sets
file dates. The package holds the Japanese window program kestrin and the
command-line program kestrin-cli.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The codec library is private to the programs: found beside them while the
# dependencies are worked out, never offered to other packages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Opening help and pictures with the desktop's programs; Japanese glyphs; Qt's
# own dialogs in Japanese; the shell completion's helper functions.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, qt6-translations-l10n, bash-completion")
include(CPack)
