# Installation as a Debian desktop program, and the .deb package (cpack -G DEB).
#
#   cmake --install build --prefix /usr      # or: cd build && cpack -G DEB
#
# Layout: the two programs in bin/, the spreadsheet bridge, the DE405 writer and the shipped
# workbooks in share/orvant/, the desktop entry and its icon where desktop menus look for them.
include(GNUInstallDirs)

set(ORVANT_DATA_DIR "${CMAKE_INSTALL_DATADIR}/orvant")

install(TARGETS orvant-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET orvant)
  install(TARGETS orvant RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(PROGRAMS "${CMAKE_SOURCE_DIR}/tools/de405/make_ascii.py" DESTINATION ${ORVANT_DATA_DIR}/de405)
# The bridge is run by the program with Debian's python3 (a plain file, not a command).
install(FILES "${CMAKE_SOURCE_DIR}/tools/spreadsheet/orvant_bridge.py" DESTINATION ${ORVANT_DATA_DIR}/spreadsheet)
file(GLOB orvant_workbooks CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/data/workbooks/*.fods")
if(orvant_workbooks)
  install(FILES ${orvant_workbooks} DESTINATION ${ORVANT_DATA_DIR}/workbooks)
endif()

install(FILES "${CMAKE_SOURCE_DIR}/packaging/orvant.desktop"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${CMAKE_SOURCE_DIR}/packaging/orvant.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Manual pages and the changelog compressed, as Debian installs them.
set(orvant_gz "")
foreach(pair "orvant.1:orvant.1.gz" "orvant-cli.1:orvant-cli.1.gz" "changelog.Debian:changelog.Debian.gz")
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 src)
  list(GET pair 1 out)
  add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/${out}"
    COMMAND gzip -9 -n -c "${CMAKE_SOURCE_DIR}/packaging/${src}" > "${CMAKE_BINARY_DIR}/${out}"
    DEPENDS "${CMAKE_SOURCE_DIR}/packaging/${src}" VERBATIM)
  list(APPEND orvant_gz "${CMAKE_BINARY_DIR}/${out}")
endforeach()
add_custom_target(orvant_compressed_docs ALL DEPENDS ${orvant_gz})
install(FILES "${CMAKE_BINARY_DIR}/orvant.1.gz" "${CMAKE_BINARY_DIR}/orvant-cli.1.gz"
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian wants its copyright file and the compressed changelog in the package's doc folder.
set(orvant_doc "${CMAKE_INSTALL_DATADIR}/doc/orvant")
install(FILES "${CMAKE_SOURCE_DIR}/packaging/copyright" "${CMAKE_BINARY_DIR}/changelog.Debian.gz"
        DESTINATION ${orvant_doc})

set(CPACK_PACKAGE_NAME "orvant")
set(CPACK_PACKAGE_VENDOR "Orvant developers")
set(CPACK_PACKAGE_CONTACT "Orvant developers <maintainers@orvant.example>")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workbench for numerical experiments on the solar system")
set(CPACK_PACKAGE_DESCRIPTION
  "Orvant integrates the Sun, nine planets and a tenth body by Newton's law
with a finite speed of gravity and an absolute velocity of the system,
offers ephemeris simulators (two analytic theories, a kinematic theory,
JPL DE405), extracts orbit parameters during runs, fits their secular
shifts and optimises the speed of gravity with multi-factor experimental
designs. It reduces observatory series and ancient astronomical tables,
follows eclipses and transits and converts coordinates. The user
interface is in Russian.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the shared libraries found by dpkg-shlibdeps: the spreadsheet engine with its Python
# bridge (and the script provider that runs its batch loop inside soffice), and the DE405 table
# with the Python modules that write JPL's blocks from it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libreoffice-calc-nogui | libreoffice-calc, python3-uno, libreoffice-script-provider-python, python3, casacore-data-jpl-de405, python3-casacore, python3-numpy")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")
include(CPack)
