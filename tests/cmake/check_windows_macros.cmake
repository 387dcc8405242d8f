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
