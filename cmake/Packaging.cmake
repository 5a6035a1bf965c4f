# The Debian package, made by CPack from the same install rules as
# `cmake --install`: one description of what an installation holds, and the
# package is made from the app preset's build without building again.
#   scripts/package  →  build/app/tinctara_<version>_amd64.deb

# Documentation that a Debian package carries: manual pages and changelog
# compressed as policy wants (gzip -9n: no name, no time stamp, reproducible).
find_program(GZIP_EXECUTABLE gzip)
set(_tinctara_pkgdoc "${CMAKE_BINARY_DIR}/packaging")
set(_tinctara_gzipped)
foreach(_source man/tinctara.1 man/tinctara-cli.1 man/tinctara-play@.service.8 debian/changelog)
  get_filename_component(_name "${_source}" NAME)
  set(_gz "${_tinctara_pkgdoc}/${_name}.gz")
  add_custom_command(OUTPUT "${_gz}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${_tinctara_pkgdoc}"
    COMMAND ${GZIP_EXECUTABLE} -9n -c "${CMAKE_SOURCE_DIR}/packaging/${_source}" > "${_gz}"
    DEPENDS "${CMAKE_SOURCE_DIR}/packaging/${_source}" VERBATIM)
  list(APPEND _tinctara_gzipped "${_gz}")
endforeach()
add_custom_target(tinctara_package_docs ALL DEPENDS ${_tinctara_gzipped})

install(FILES "${_tinctara_pkgdoc}/tinctara.1.gz" "${_tinctara_pkgdoc}/tinctara-cli.1.gz"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${_tinctara_pkgdoc}/tinctara-play@.service.8.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man8")
install(FILES packaging/systemd/tinctara-play.conf.example DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/tinctara/examples"
        RENAME play.conf)
install(FILES packaging/completion/tinctara-cli DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")
install(FILES packaging/org.tinctara.Tinctara.metainfo.xml DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES packaging/debian/copyright DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/tinctara")
install(FILES "${_tinctara_pkgdoc}/changelog.gz" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/tinctara")
install(FILES packaging/debian/lintian-overrides DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides"
        RENAME tinctara)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tinctara)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Tinctara developers")
set(CPACK_PACKAGE_CONTACT "Tinctara developers <packaging@tinctara.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drive walls of RGBW LED lamps over DMX512")
set(CPACK_PACKAGE_DESCRIPTION
"Tinctara lays out walls of up to 121 RGBW LED lamps, patches every colour of
every lamp to a DMX channel, paints mixed colours onto selected lamps, records
pictures of the wall as the steps of a sequence with hold and crossfade times
and plays them live over ISA and USB interfaces, library-driven cards, sACN
(E1.31) or Art-Net. Sequences go onto a memory card for a stand-alone player.
Without lighting hardware it runs on virtual hardware.
.
The package holds the program, the headless tinctara-cli, the program's own
libraries (libpagestor, libhwport32 with its service hwport32d, the web
remote's module libtinctararemote) and a sample show.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME "${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}_amd64.deb")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tinctara.invalid/")
# Libraries from dpkg-shlibdeps; what is loaded at run time besides them: Qt's
# German translations.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${TINCTARA_PROGRAM_DIR}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, adduser, init-system-helpers (>= 1.52)")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
file(GLOB _tinctara_maintscripts "${CMAKE_SOURCE_DIR}/packaging/debian/postinst"
     "${CMAKE_SOURCE_DIR}/packaging/debian/prerm" "${CMAKE_SOURCE_DIR}/packaging/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_tinctara_maintscripts})
include(CPack)
