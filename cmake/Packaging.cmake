# The packages CPack builds from the installed tree (dist/CMakeLists.txt): a .deb on Linux; a
# zip and an NSIS installer for Windows. Included by the top-level CMakeLists after the install
# rules; without a front end there is nothing to package.
if(NOT TARGET brindlecot)
  message(STATUS "Packaging: no front end is built, so there is nothing to package")
  return()
endif()

set(CPACK_PACKAGE_NAME "brindlecot")
set(CPACK_PACKAGE_VENDOR "The Brindlecot developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Open favourite programs and web addresses from the system tray")
set(CPACK_PACKAGE_HOMEPAGE_URL "${BRINDLECOT_HOMEPAGE}")
set(CPACK_PACKAGE_CONTACT "The Brindlecot developers <${BRINDLECOT_CONTACT}>")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 0)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake)
else()
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingLinux.cmake)
endif()

include(CPack)
