# Fails when the program needs a DLL that Windows does not ship (a compiler runtime such as
# libstdc++-6.dll, libgcc_s or libwinpthread-1.dll would have to travel with it), or imports
# one that it loads only when it is first used (start-up would load it, and under Wine what
# it imports in turn, for nothing).
#   cmake -DOBJDUMP=<objdump> -DEXE=<program> -P this file
cmake_minimum_required(VERSION 3.22)
execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump could not read ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
set(system advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll
           shell32.dll user32.dll wsock32.dll ws2_32.dll ole32.dll)
set(loaded_later comdlg32.dll)  # the file dialog's, at the first Browse
set(foreign "")
set(early "")
foreach(n IN LISTS names)
  string(SUBSTRING "${n}" 10 -1 dll)
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  if(NOT lower IN_LIST system)
    list(APPEND foreign "${dll}")
  endif()
  if(lower IN_LIST loaded_later)
    list(APPEND early "${dll}")
  endif()
endforeach()
if(NOT names)
  message(FATAL_ERROR "no imported DLL found in ${EXE}: the check is broken")
endif()
if(foreign)
  message(FATAL_ERROR "${EXE} needs DLLs that Windows does not ship: ${foreign}")
endif()
if(early)
  message(FATAL_ERROR "${EXE} imports DLLs it loads when first used: ${early}")
endif()
message(STATUS "${EXE}: system DLLs only (${names})")
