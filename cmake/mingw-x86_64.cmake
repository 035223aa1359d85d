set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# CTest runs the Windows test programs under wine on this machine.
find_program(CORVANE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(CORVANE_WINE64 NAMES wine64 wine)
if(CORVANE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CORVANE_WINE64})
endif()
