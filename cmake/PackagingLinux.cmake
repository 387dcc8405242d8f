# The .deb: CPack's Debian generator over the installed tree.
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
