# What a user's system gets besides the program itself, and the packages CPack builds from the
# installed tree: a .deb on Linux; a zip and an NSIS installer for Windows. Included by the
# top-level CMakeLists after the front end (so that the `brindlecot` target exists when one is
# built) and before the tests; without a front end there is nothing to install or package.

set(BRINDLECOT_APP_ID "org.brindlecot.Brindlecot")
set(BRINDLECOT_HOMEPAGE "https://www.brindlecot.org/")
set(BRINDLECOT_CONTACT "packages@brindlecot.org")
set(BRINDLECOT_SUMMARY "Open favourite programs and web addresses from the system tray")
set(brindlecot_dist ${PROJECT_SOURCE_DIR}/dist)
set(brindlecot_dist_out ${PROJECT_BINARY_DIR}/dist)

# The Linux data files are made whatever is built, so that the tests can check them.
if(NOT WIN32)
  configure_file(${brindlecot_dist}/linux/${BRINDLECOT_APP_ID}.metainfo.xml.in
    ${brindlecot_dist_out}/${BRINDLECOT_APP_ID}.metainfo.xml @ONLY)
  configure_file(${brindlecot_dist}/linux/brindlecot.1.in ${brindlecot_dist_out}/brindlecot.1
    @ONLY)
endif()

if(NOT TARGET brindlecot)
  message(STATUS "Packaging: no front end is built, so there is nothing to install or package")
  return()
endif()

set(CPACK_PACKAGE_NAME "brindlecot")
set(CPACK_PACKAGE_VENDOR "The Brindlecot developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${BRINDLECOT_SUMMARY}")
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
