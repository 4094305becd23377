# Installation into the file-system layout and the Debian packages (scripts/package runs cpack on it).
# Included last, so that every program target already exists.
#
# Three packages, so that a machine without a desktop can have the command line alone:
#   orvexmon-cli   /usr/bin/orvexmon-cli and its manual page: Qt Core, Serial Port and SQL only
#   orvexmon       /usr/bin/orvexmon, orvexmon-sim, the user guide (/usr/share/orvexmon/help), desktop entry,
#                  icon, their manual pages and the README; depends on orvexmon-cli, recommends orvexmon-tone
#   orvexmon-tone  /usr/lib/<triplet>/orvexmon: the tone's sound output module and the audio stack it needs
# Each has its copyright and changelog in /usr/share/doc/<package>.

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(orvexmon_packages tool)
install(TARGETS orvexmon orvexmon-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
if(TARGET orvexmon-cli)
    install(TARGETS orvexmon-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
    list(APPEND orvexmon_packages cli)
endif()
if(TARGET orvexmon_tone)
    # A shared object names the C library it runs on; the module uses it only through Qt, so the linker would
    # drop it. Only the C library is kept regardless of use: the rest of the link line stays as-needed, so the
    # module names just what it calls (no graphics or networking libraries that Qt Multimedia merely links).
    target_link_libraries(orvexmon_tone PRIVATE "-Wl,--push-state,--no-as-needed" "-l:libc.so.6" "-Wl,--pop-state")
    install(TARGETS orvexmon_tone LIBRARY DESTINATION ${ORVEXMON_MODULE_DIR} COMPONENT tone)
    list(APPEND orvexmon_packages tone)
endif()

install(FILES ${ORVEXMON_HELP_FILE} DESTINATION ${ORVEXMON_HELP_DIR} COMPONENT tool)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/orvexmon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT tool)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/orvexmon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT tool)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/orvexmon-128.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps RENAME orvexmon.png COMPONENT tool)

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
    set(component tool)
    if(name STREQUAL "orvexmon-cli.1")
        set(component cli)
    endif()
    install(FILES ${packaging_out}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${packaging_out}/changelog @ONLY)
orvexmon_gzip(${packaging_out}/changelog ${packaging_out}/changelog.gz)
add_custom_target(packaging_files ALL DEPENDS ${gzipped_files})

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME orvexmon)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME orvexmon-cli)
set(CPACK_DEBIAN_TONE_PACKAGE_NAME orvexmon-tone)
foreach(component ${orvexmon_packages})
    string(TOUPPER ${component} upper)
    set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${packaging_out}/changelog.gz
            DESTINATION ${doc_dir} COMPONENT ${component})
endforeach()
# What a user of the tool reads; the developer notes (benchmarks, fuzzing) stay with the source.
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/simulator.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvexmon COMPONENT tool)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${orvexmon_packages})
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
set(CPACK_DEBIAN_PACKAGE_SOURCE orvexmon)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kestrane.example/orvexmon")
# Each package's description starts with its own summary line.
set(CPACK_DEBIAN_CLI_DESCRIPTION "command-line service tool for Kestrane monitors
orvexmon-cli does one job per run on a Kestrane CRT or flat-panel monitor
connected to a serial port: identify it, read everything it stores into a
monitor data file, write a data file back, download controller firmware or a
test program, read its test points, or send requests as typed. It exits with
a status a script can test and needs no display, so it suits the service
bench and the production line. It is built on the same core as the windowed
tool in the orvexmon package.")
set(CPACK_DEBIAN_TOOL_DESCRIPTION "service and adjustment tool for Kestrane monitors
OrvexMon finds a Kestrane CRT or flat-panel monitor on a serial port, reads
everything it stores, adjusts the picture live, reads its test points and
voltages, saves and loads monitor data files and downloads new controller
firmware. It includes orvexmon-sim, a simulated monitor on a pseudo-terminal
for training and testing without a monitor, and depends on orvexmon-cli, the
same functions on the command line for scripts and the production line.")
set(CPACK_DEBIAN_TONE_DESCRIPTION "sound output of the OrvexMon tones
The module through which the windowed OrvexMon tool plays the tones that end
a firmware download. Without it the tool falls back to the desktop's beep.")
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "orvexmon-cli (= ${PROJECT_VERSION})")
# The monitors' history is kept through Qt's SQL drivers, which are loaded at run time and so are not found among
# what the programs link: SQLite for the history on this machine, PostgreSQL for one a shop shares.
set(CPACK_DEBIAN_CLI_PACKAGE_RECOMMENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_CLI_PACKAGE_SUGGESTS "libqt6sql6-psql")
if(TARGET orvexmon_tone)
    set(CPACK_DEBIAN_TOOL_PACKAGE_RECOMMENDS "orvexmon-tone (= ${PROJECT_VERSION})")
    set(CPACK_DEBIAN_TONE_PACKAGE_DEPENDS "orvexmon (= ${PROJECT_VERSION})")
endif()
include(CPack)
