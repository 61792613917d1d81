# The Debian package: `cpack -G DEB` in the build folder writes harkola_<version>_amd64.deb.
# It holds what `cmake --install` installs (programs, launcher, icons) plus the man pages
# (compressed, as Debian wants them), the AppStream metainfo and the package's own
# copyright and changelog files. Library dependencies come from dpkg-shlibdeps; what the
# program loads at run time without linking it (Qt's platform plugins) is listed here.
include(GNUInstallDirs)

set(HARKOLA_MAN_PAGES harkola.1 harkola-cli.1)
set(HARKOLA_GZ_FILES)
foreach(page ${HARKOLA_MAN_PAGES})
  set(out ${CMAKE_BINARY_DIR}/package/${page}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/docs/man/${page} > ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${page}
    VERBATIM)
  list(APPEND HARKOLA_GZ_FILES ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
set(changelog_gz ${CMAKE_BINARY_DIR}/package/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/resources/package/changelog > ${changelog_gz}
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/package/changelog
  VERBATIM)
add_custom_target(harkola_package_files ALL DEPENDS ${HARKOLA_GZ_FILES} ${changelog_gz})

install(FILES resources/org.harkola.Harkola.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/package/copyright ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME harkola)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Harkola developers")
# The maintainer field (name and mail address) of the package.
set(HARKOLA_PACKAGE_MAINTAINER "Harkola developers <harkola@example.org>" CACHE STRING
  "Maintainer of the Debian package: Name <address>")
set(CPACK_PACKAGE_CONTACT "${HARKOLA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor for the NCDXF/IARU HF beacon network")
set(CPACK_PACKAGE_DESCRIPTION
"Harkola shows which of the eighteen NCDXF/IARU HF beacons is on the
air on the chosen band and which comes next, with distance and azimuth
from home. It announces beacons by voice, logs heard beacons by hand or
automatically from the receiver's audio, retunes the receiver over a
serial port or through Hamlib's rigctld (never transmitting), and turns
heard logs into tables and charts. harkola-cli gives the schedule,
recording analysis and log summaries on the command line.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libhamlib-utils, pulseaudio | pipewire-pulse, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
