# Installation into the file-system layout and the Debian package (scripts/package runs cpack on it).
# Included last, so that every program target already exists.
#
#   /usr/bin                                  orvexmon, orvexmon-sim, orvexmon-cli
#   /usr/lib/<triplet>/orvexmon               the tone's sound output module
#   /usr/share/orvexmon/help                  the user guide
#   /usr/share/applications, icons/hicolor    desktop entry and icon
#   /usr/share/man/man1                       manual pages (gzipped)
#   /usr/share/doc/orvexmon                   README, notes, copyright, changelog

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS orvexmon orvexmon-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET orvexmon-cli)
    install(TARGETS orvexmon-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET orvexmon_tone)
    # A shared object names the C library it runs on; the module uses it only through Qt, so the linker would not.
    target_link_options(orvexmon_tone PRIVATE LINKER:--no-as-needed)
    install(TARGETS orvexmon_tone LIBRARY DESTINATION ${ORVEXMON_MODULE_DIR})
endif()

install(FILES ${ORVEXMON_HELP_FILE} DESTINATION ${ORVEXMON_HELP_DIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/orvexmon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/orvexmon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/orvexmon-128.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps RENAME orvexmon.png)

# Manual pages and the changelog go in gzipped, without a time stamp, so the package is the same on every build.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
function(orvexmon_gzip source target)
    add_custom_command(OUTPUT ${target}
        COMMAND ${GZIP_PROGRAM} -9nc ${source} > ${target}
        DEPENDS ${source} VERBATIM)
    set(gzipped_files ${gzipped_files} ${target} PARENT_SCOPE)
endfunction()

set(gzipped_files)
file(GLOB man_pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/*.1)
foreach(page ${man_pages})
    get_filename_component(name ${page} NAME)
    orvexmon_gzip(${page} ${packaging_out}/${name}.gz)
    install(FILES ${packaging_out}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${packaging_out}/changelog @ONLY)
orvexmon_gzip(${packaging_out}/changelog ${packaging_out}/changelog.gz)
add_custom_target(packaging_files ALL DEPENDS ${gzipped_files})

set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/orvexmon)
file(GLOB notes CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.md)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${notes} ${CMAKE_CURRENT_LIST_DIR}/copyright
              ${packaging_out}/changelog.gz
        DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvexmon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrane")
set(CPACK_PACKAGE_CONTACT "Kestrane monitor service <service@kestrane.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kestrane.example/orvexmon")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service and adjustment tool for Kestrane monitors")
set(CPACK_PACKAGE_DESCRIPTION "OrvexMon finds a Kestrane CRT or flat-panel monitor on a serial port, reads
everything it stores, adjusts the picture live, reads its test points and
voltages, saves and loads monitor data files and downloads new controller
firmware. It includes orvexmon-sim, a simulated monitor on a pseudo-terminal
for training and testing without a monitor.")
include(CPack)
