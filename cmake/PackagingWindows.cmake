# The Windows packages: a zip to unpack anywhere and a per-user NSIS installer, built on Linux
# from the same installed tree (the program, README.txt and LICENSE.txt, side by side).
set(brindlecot_win_package "Brindlecot-${PROJECT_VERSION}-win64")
set(CPACK_GENERATOR "ZIP")
set(CPACK_PACKAGE_FILE_NAME "${brindlecot_win_package}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)

# The installer: `cmake --build <dir> --target brindlecot_installer`. It installs the same tree
# into a staging folder, stripped, and packs that folder with makensis.
find_program(BRINDLECOT_MAKENSIS makensis)
find_program(BRINDLECOT_ICOTOOL icotool)
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

# The installer and uninstaller carry the program's icon, made from the same PNGs.
set(brindlecot_ico_depends)
if(BRINDLECOT_ICOTOOL)
  set(icons ${PROJECT_SOURCE_DIR}/src/resources/icons)
  set(brindlecot_ico ${PROJECT_BINARY_DIR}/dist/brindlecot-setup.ico)
  add_custom_command(
    OUTPUT ${brindlecot_ico}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/dist
    COMMAND ${BRINDLECOT_ICOTOOL} -c -o ${brindlecot_ico} ${icons}/brindlecot-16.png
            ${icons}/brindlecot-32.png ${icons}/brindlecot-48.png -r ${icons}/brindlecot-256.png
    DEPENDS ${icons}/brindlecot-16.png ${icons}/brindlecot-32.png ${icons}/brindlecot-48.png
            ${icons}/brindlecot-256.png
    VERBATIM)
  list(APPEND brindlecot_nsis_defines -DICON=${brindlecot_ico})
  set(brindlecot_ico_depends ${brindlecot_ico})
endif()

add_custom_target(brindlecot_installer
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${brindlecot_stage}
  COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${brindlecot_stage} --strip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CPACK_PACKAGE_DIRECTORY}
  COMMAND ${BRINDLECOT_MAKENSIS} -V2 -NOCD ${brindlecot_nsis_defines}
          ${PROJECT_SOURCE_DIR}/dist/windows/brindlecot.nsi
  DEPENDS brindlecot ${brindlecot_ico_depends}
  COMMENT "Building ${brindlecot_win_package}-setup.exe"
  VERBATIM)
