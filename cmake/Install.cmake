# `cmake --install` lays the program out as a desktop expects (GNUInstallDirs under the
# prefix); CPack turns the same tree into a Debian package whose dependencies dpkg-shlibdeps
# computes. The files come from resources/desktop/ and resources/man/.
include(GNUInstallDirs)

set(tamblero_desktop ${PROJECT_SOURCE_DIR}/resources/desktop)

install(TARGETS tamblero-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The OFX reader beside both programs, which look for it there; built only with libofx.
if(TARGET tamblero-ofx)
  install(TARGETS tamblero-ofx RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Man pages go in gzipped, as Debian keeps them.
set(tamblero_man_pages tamblero-cli.1)
if(TAMBLERO_GUI)
  list(APPEND tamblero_man_pages tamblero.1)
endif()
foreach(page IN LISTS tamblero_man_pages)
  set(source ${PROJECT_SOURCE_DIR}/resources/man/${page})
  set(zipped ${PROJECT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${zipped}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" sh ${source} ${zipped}
    DEPENDS ${source} VERBATIM)
  list(APPEND tamblero_zipped_pages ${zipped})
endforeach()
add_custom_target(tamblero_man ALL DEPENDS ${tamblero_zipped_pages})
install(FILES ${tamblero_zipped_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(TAMBLERO_GUI)
  install(TARGETS tamblero RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${tamblero_desktop}/tamblero.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${tamblero_desktop}/org.tamblero.Tamblero.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The window's own icon, and the same picture rendered once per fixed size.
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/tamblero.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(DIRECTORY ${tamblero_desktop}/hicolor/
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamblero)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tamblero")
set(CPACK_PACKAGE_CONTACT "Tamblero maintainers <maintainers@users.noreply.c-seed-350f17de.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal expense tracker for the desktop")
set(CPACK_PACKAGE_DESCRIPTION
  "Keeps a tree of expense categories, records each expense on a day against an article, \
optionally paid from one of your accounts, and shows what every group and article spent \
per day, week, month and year. The interface is in Russian. tamblero-cli reports, exports \
and imports the same data file from a terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Added to what dpkg-shlibdeps finds, each named once: the platform plugins (Qt's libraries
# only recommend them), without which the window cannot open, and Qt's own Russian texts,
# which the program loads at start. The SVG plugins that draw the icons are in libqt6svg6,
# which dpkg-shlibdeps names already, since the chart's SVG export links Qt Svg.
if(TAMBLERO_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
endif()
include(CPack)
