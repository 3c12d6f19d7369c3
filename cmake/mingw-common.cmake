# Shared by the MinGW-w64 toolchain files, which set ZLM_MINGW_PREFIX and
# CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${ZLM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZLM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZLM_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZLM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The executables must need nothing but system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
