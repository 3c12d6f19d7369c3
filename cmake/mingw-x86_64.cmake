# Cross toolchain: 64-bit Windows with MinGW-w64 (POSIX threads). Only for
# running the Windows suites under 64-bit Wine on hosts that cannot execute
# 32-bit programs; the product itself is the i686 build.
set(ZLM_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

find_program(ZLM_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(ZLM_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZLM_WINE64})
endif()
