# The Windows packages: a zip to unpack anywhere and a per-user NSIS installer, built on Linux
# from the same installed tree (the program, README.txt and LICENSE.txt, side by side).
set(brindlecot_win_package "Brindlecot-${PROJECT_VERSION}-win64")
set(CPACK_GENERATOR "ZIP")
set(CPACK_PACKAGE_FILE_NAME "${brindlecot_win_package}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)

# The installer: `cmake --build <dir> --target brindlecot_installer`. It installs the same tree
# into a staging folder, stripped, and packs that folder with makensis.
find_program(BRINDLECOT_MAKENSIS makensis)
if(NOT BRINDLECOT_MAKENSIS)
  message(STATUS "Packaging: makensis not found; no Windows installer target")
  return()
endif()

set(brindlecot_stage ${PROJECT_BINARY_DIR}/installer-stage)
set(brindlecot_setup ${CPACK_PACKAGE_DIRECTORY}/${brindlecot_win_package}-setup.exe)
# Windows version resources take four numbers.
set(brindlecot_version4)
foreach(part MAJOR MINOR PATCH TWEAK)
  set(n "${PROJECT_VERSION_${part}}")
  if(n STREQUAL "")
    set(n 0)
  endif()
  list(APPEND brindlecot_version4 ${n})
endforeach()
list(JOIN brindlecot_version4 "." brindlecot_version4)
set(brindlecot_nsis_defines
  -DVERSION=${PROJECT_VERSION}
  -DVERSION4=${brindlecot_version4}
  -DSTAGE=${brindlecot_stage}
  -DOUTFILE=${brindlecot_setup})

# The installer and uninstaller carry the program's own icon file.
list(APPEND brindlecot_nsis_defines -DICON=${BRINDLECOT_ICO})

add_custom_target(brindlecot_installer
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${brindlecot_stage}
  COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${brindlecot_stage} --strip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CPACK_PACKAGE_DIRECTORY}
  COMMAND ${BRINDLECOT_MAKENSIS} -V2 -NOCD ${brindlecot_nsis_defines}
          ${PROJECT_SOURCE_DIR}/dist/windows/brindlecot.nsi
  DEPENDS brindlecot brindlecot_icon
  COMMENT "Building ${brindlecot_win_package}-setup.exe"
  VERBATIM)
