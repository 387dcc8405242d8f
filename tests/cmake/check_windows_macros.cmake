# Fails when a name used in the core's or the seam's headers is a macro of the Windows headers
# the Win32 front end includes: with <windows.h> seen first, such a name would silently become
# another (a member `MessageBox` turns into `MessageBoxA`), and different translation units
# would disagree about the same class.
#
#   cmake -DCXX=<mingw g++> -DSOURCE_DIR=<repository> -DWORK_DIR=<scratch> -P this file
cmake_minimum_required(VERSION 3.22)
file(MAKE_DIRECTORY "${WORK_DIR}")
set(probe "${WORK_DIR}/windows_macros_probe.cpp")
file(WRITE "${probe}" "#include \"frontend/win32/win32_headers.h\"\n")
execute_process(
  COMMAND "${CXX}" -std=c++17 -dM -E -I "${SOURCE_DIR}/src" "${probe}"
  OUTPUT_VARIABLE dump RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not preprocess the Windows headers:\n${err}")
endif()
string(REGEX MATCHALL "#define [A-Za-z_][A-Za-z0-9_]*" defines "${dump}")
list(LENGTH defines macro_count)
if(macro_count LESS 1000)
  message(FATAL_ERROR "only ${macro_count} macros from the Windows headers: the probe is broken")
endif()
set(macros "")
foreach(d IN LISTS defines)
  string(SUBSTRING "${d}" 8 -1 name)
  list(APPEND macros "${name}")
endforeach()

file(GLOB headers
  "${SOURCE_DIR}/src/app/*.h" "${SOURCE_DIR}/src/catalogue/*.h" "${SOURCE_DIR}/src/tray/*.h"
  "${SOURCE_DIR}/src/resources/*.h" "${SOURCE_DIR}/src/platform/*.h"
  "${SOURCE_DIR}/tests/support/*.h")

# The standard library's own macros (offsetof, the fixed-width limits...) are the same with or
# without <windows.h>: those the core's headers include are no clash.
set(std_probe "${WORK_DIR}/standard_macros_probe.cpp")
file(WRITE "${std_probe}" "")
foreach(h IN LISTS headers)
  file(STRINGS "${h}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*<[a-z_]+>")
  foreach(line IN LISTS includes)
    file(APPEND "${std_probe}" "${line}\n")
  endforeach()
endforeach()
execute_process(
  COMMAND "${CXX}" -std=c++17 -dM -E "${std_probe}"
  OUTPUT_VARIABLE std_dump RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not preprocess the standard headers:\n${err}")
endif()
string(REGEX MATCHALL "#define [A-Za-z_][A-Za-z0-9_]*" std_defines "${std_dump}")
string(REPLACE "#define " "" std_names "${std_defines}")
list(REMOVE_ITEM macros ${std_names})
list(LENGTH macros macro_count)
set(clashes "")
set(names_seen 0)
foreach(h IN LISTS headers)
  file(READ "${h}" text)
  # Comments and literals name nothing.
  string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" " " text "${text}")
  string(REGEX REPLACE "//[^\n]*" " " text "${text}")
  string(REGEX REPLACE "\"([^\"\\\\\n]|\\\\.)*\"" " " text "${text}")
  string(REGEX REPLACE "'([^'\\\\\n]|\\\\.)*'" " " text "${text}")
  string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" names "${text}")
  list(REMOVE_DUPLICATES names)
  list(LENGTH names n)
  math(EXPR names_seen "${names_seen} + ${n}")
  foreach(name IN LISTS names)
    if(name IN_LIST macros)
      file(RELATIVE_PATH rel "${SOURCE_DIR}" "${h}")
      string(APPEND clashes "\n  ${rel}: ${name}")
    endif()
  endforeach()
endforeach()
if(clashes)
  message(FATAL_ERROR "names that the Windows headers define as macros:${clashes}")
endif()
message(STATUS "${names_seen} names checked against ${macro_count} Windows macros: none clash")
