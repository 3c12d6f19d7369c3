# Cross toolchain: 32-bit Windows with MinGW-w64 (POSIX threads), run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(ZLM_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${ZLM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZLM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZLM_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZLM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The executables must need nothing but system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(ZLM_WINE wine)
if(ZLM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZLM_WINE})
endif()
