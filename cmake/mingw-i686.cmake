# Cross toolchain: 32-bit Windows with MinGW-w64 (POSIX threads), run under Wine.
set(ZLM_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

find_program(ZLM_WINE wine)
if(ZLM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZLM_WINE})
endif()
