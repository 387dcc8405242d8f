# The Linux install: AppStream metainfo under the application id, the manual page and the
# package's documents (the program, its menu entry and icons come with the Qt front end), and
# the .deb that CPack builds from them.
include(GNUInstallDirs)

# Documents go under the package's name, which is what Debian and lintian expect.
set(brindlecot_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
set(BRINDLECOT_DEB_RELEASE 1)
set(BRINDLECOT_DEB_VERSION "${PROJECT_VERSION}-${BRINDLECOT_DEB_RELEASE}")

configure_file(${brindlecot_dist}/debian/changelog.in ${brindlecot_dist_out}/changelog.Debian
  @ONLY)

# Manual pages and changelogs are installed compressed; -n keeps the name and time out of the
# archive, so the same sources give the same bytes.
set(brindlecot_gz_files)
foreach(doc brindlecot.1 changelog.Debian)
  add_custom_command(
    OUTPUT ${brindlecot_dist_out}/${doc}.gz
    COMMAND gzip -9n -c ${brindlecot_dist_out}/${doc} > ${brindlecot_dist_out}/${doc}.gz
    DEPENDS ${brindlecot_dist_out}/${doc}
    VERBATIM)
  list(APPEND brindlecot_gz_files ${brindlecot_dist_out}/${doc}.gz)
endforeach()
add_custom_target(brindlecot_docs ALL DEPENDS ${brindlecot_gz_files})

install(FILES ${brindlecot_dist_out}/${BRINDLECOT_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${brindlecot_dist_out}/brindlecot.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${brindlecot_dist}/debian/copyright ${brindlecot_dist_out}/changelog.Debian.gz
  DESTINATION ${brindlecot_docdir})

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${BRINDLECOT_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BRINDLECOT_HOMEPAGE}")
# The library dependencies are what dpkg-shlibdeps finds in the program, never a written list.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Web addresses and documents open through xdg-open; programs start without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# CPack puts the summary on the first line itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Brindlecot keeps a list of up to 50 favourite programs, documents, folders
and web addresses in one small window, and opens any of them from a menu on
its icon in the notification area. The list is the text file brcot.dat in
the directory the program starts in; the menu entry starts it in the home
directory. The tray icon needs a StatusNotifierItem or XEmbed tray.")
