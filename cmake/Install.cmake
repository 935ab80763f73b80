# What `cmake --install` puts on a desktop, and the Debian package made of it.
include(GNUInstallDirs)

install(TARGETS vinta vinta-kts vinta-lan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/vinta.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Software centres: the releases come from the Debian changelog, newest first,
# as "vinta (VERSION) ..." lines each closed by a " -- NAME <MAIL>  DATE" line.
file(STRINGS data/debian/changelog vinta_changelog)
set(VINTA_RELEASES "")
set(vinta_version "")
foreach(line IN LISTS vinta_changelog)
  if(line MATCHES "^vinta \\(([^)]+)\\)")
    set(vinta_version ${CMAKE_MATCH_1})
  elseif(line MATCHES "^ -- .*>  [A-Za-z]+, ([0-9]+) ([A-Za-z]+) ([0-9]+) " AND vinta_version)
    set(day ${CMAKE_MATCH_1})
    set(year ${CMAKE_MATCH_3})
    string(FIND "JanFebMarAprMayJunJulAugSepOctNovDec" "${CMAKE_MATCH_2}" at)
    math(EXPR month "${at} / 3 + 1")
    string(LENGTH "${day}" n)
    if(n EQUAL 1)
      set(day "0${day}")
    endif()
    if(month LESS 10)
      set(month "0${month}")
    endif()
    string(APPEND VINTA_RELEASES "    <release version=\"${vinta_version}\" date=\"${year}-${month}-${day}\"/>\n")
    set(vinta_version "")
  endif()
endforeach()
string(STRIP "${VINTA_RELEASES}" VINTA_RELEASES)
set(VINTA_RELEASES "    ${VINTA_RELEASES}")
configure_file(data/vinta.metainfo.xml.in ${CMAKE_CURRENT_BINARY_DIR}/example.vinta.Vinta.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/example.vinta.Vinta.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/vinta-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME vinta.xml)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES data/icons/vinta-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vinta.png)
endforeach()
install(FILES data/icons/vinta.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian wants manual pages compressed.
foreach(page vinta vinta-kts vinta-lan)
  set(gz ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/data/man/${page}.1 > ${gz}
    DEPENDS data/man/${page}.1 VERBATIM)
  list(APPEND vinta_man_pages ${gz})
endforeach()
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/man/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/data/debian/changelog > ${changelog}
  DEPENDS data/debian/changelog ${vinta_man_pages} VERBATIM)
add_custom_target(vinta_man ALL DEPENDS ${vinta_man_pages} ${changelog})
install(FILES ${vinta_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/debian/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vinta)

set(CPACK_PACKAGE_NAME vinta)
set(CPACK_PACKAGE_VENDOR "Vinta developers")
set(CPACK_PACKAGE_CONTACT "Vinta developers <vinta@vinta.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Gantt planner with a Japanese user interface")
set(CPACK_PACKAGE_DESCRIPTION "Plans projects as an outline of projects, tasks, comments and
resource assignments beside a Gantt chart, saved as Shift-JIS .kts files,
with print preview and printing on landscape pages.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Pages are drawn with these; Qt finds no Japanese glyphs without them.
# The platform plugins (xcb, wayland) are not in the libraries the
# executable links, so shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups-client, qt6-translations-l10n")
set(CPACK_COMPONENTS_ALL Unspecified)
include(CPack)
