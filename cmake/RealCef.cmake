# Builds against a real CEF binary distribution (windows32) unpacked at CEF_ROOT.
# Provides the same INTERFACE target as the stand-in: zlm_cef.
if(NOT EXISTS ${CEF_ROOT}/include/cef_app.h OR NOT EXISTS ${CEF_ROOT}/libcef_dll)
  message(FATAL_ERROR "CEF_ROOT=${CEF_ROOT} is not an unpacked CEF binary distribution")
endif()

set(ZLM_CEF_CONFIG Release)
if(CMAKE_BUILD_TYPE STREQUAL "Debug")
  set(ZLM_CEF_CONFIG Debug)
endif()

# The wrapper library must come from the same release as libcef and be built
# with the same compiler as the launcher, so it is compiled here from its sources.
file(GLOB_RECURSE CEF_WRAPPER_SOURCES CONFIGURE_DEPENDS
  ${CEF_ROOT}/libcef_dll/*.cc)
add_library(libcef_dll_wrapper STATIC ${CEF_WRAPPER_SOURCES})
# SYSTEM: the SDK's default-bodied handlers trip our warnings-as-errors.
target_include_directories(libcef_dll_wrapper SYSTEM PUBLIC ${CEF_ROOT})
target_compile_definitions(libcef_dll_wrapper
  PUBLIC USING_CEF_SHARED
  PRIVATE WRAPPING_CEF_SHARED NOMINMAX WIN32_LEAN_AND_MEAN)
if(NOT MSVC)
  # GCC needs two mends of releases before 3029 (see the header): a missing
  # <cstring> and __stdcall C-API callbacks, as the MSVC-built libcef.dll uses.
  target_compile_options(libcef_dll_wrapper PUBLIC -include ${ZLM_CMAKE_DIR}/cef_gcc_compat.h)
endif()

add_library(libcef_lib STATIC IMPORTED)
set_target_properties(libcef_lib PROPERTIES
  IMPORTED_LOCATION ${CEF_ROOT}/${ZLM_CEF_CONFIG}/libcef.lib)

add_library(zlm_cef INTERFACE)
target_link_libraries(zlm_cef INTERFACE libcef_dll_wrapper libcef_lib comctl32 rpcrt4 shlwapi)

# CEF needs its DLLs, snapshot blobs and resources beside the executable.
function(zlm_copy_cef_runtime target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CEF_ROOT}/${ZLM_CEF_CONFIG} $<TARGET_FILE_DIR:${target}>
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CEF_ROOT}/Resources $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
