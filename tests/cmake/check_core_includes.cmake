# Fails when a file of the portable core includes a GUI, Windows or POSIX header: those belong
# behind the platform seam in src/platform.
file(GLOB_RECURSE sources
  "${SOURCE_DIR}/src/app/*" "${SOURCE_DIR}/src/catalogue/*"
  "${SOURCE_DIR}/src/tray/*" "${SOURCE_DIR}/src/resources/*.h"
  "${SOURCE_DIR}/src/resources/*.cpp")
set(bad "")
foreach(f IN LISTS sources)
  file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "<(Q[A-Za-z]*|windows\\.h|winsock|shellapi|commctrl|unistd\\.h|fcntl\\.h|sys/)")
      string(APPEND bad "\n  ${f}: ${line}")
    endif()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "platform headers in the core:${bad}")
endif()
