# The launcher's side of CEF: the SDK at CEF_ROOT (an unpacked CEF 3.2623
# windows32 binary distribution, or the 2623 SDK beside the project, which has
# no binaries). Provides the INTERFACE target zlm_cef and
# zlm_place_cef_runtime(target).
if(NOT EXISTS ${CEF_ROOT}/include/cef_app.h OR NOT EXISTS ${CEF_ROOT}/libcef_dll)
  if(CEF_ROOT STREQUAL ZLM_CEF2623_SDK)
    message(FATAL_ERROR "The CEF 2623 SDK is not at ${CEF_ROOT}: the project expects it beside "
      "its folder, or beside the repository it was cloned from (../shared/cef-sdk-2623). "
      "Clone the project there, or name the SDK with "
      "-DZLM_CEF2623_SDK=<folder> and its library side with -DZLM_CEF2623_DLLSIDE=<folder>.")
  endif()
  message(FATAL_ERROR "CEF_ROOT=${CEF_ROOT} is not an unpacked CEF binary distribution")
endif()

set(ZLM_CEF_CONFIG Release)
if(CMAKE_BUILD_TYPE STREQUAL "Debug" AND EXISTS ${CEF_ROOT}/Debug)
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

# libcef's import library, as the distribution ships it (32-bit).
add_library(libcef_lib STATIC IMPORTED)
set_target_properties(libcef_lib PROPERTIES IMPORTED_LOCATION ${CEF_ROOT}/${ZLM_CEF_CONFIG}/libcef.lib)

add_library(zlm_cef INTERFACE)
target_link_libraries(zlm_cef INTERFACE libcef_dll_wrapper libcef_lib comctl32 rpcrt4 shlwapi)

# Whether the SDK brings a runtime (libcef.dll and its files) to run with.
if(EXISTS ${CEF_ROOT}/${ZLM_CEF_CONFIG}/libcef.dll)
  set(ZLM_CEF_HAS_RUNTIME ON)
else()
  set(ZLM_CEF_HAS_RUNTIME OFF)
endif()

# A program on CEF needs libcef.dll beside it: the SDK's runtime (its DLLs,
# snapshot blobs and resources) when it has one, otherwise the stand-in
# engine's libcef.dll (cef_standin/), copied again whenever it changes.
function(zlm_place_cef_runtime target)
  if(ZLM_CEF_HAS_RUNTIME)
    file(GLOB runtime ${CEF_ROOT}/${ZLM_CEF_CONFIG}/*.dll ${CEF_ROOT}/${ZLM_CEF_CONFIG}/*.bin)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${runtime} $<TARGET_FILE_DIR:${target}>
      COMMAND ${CMAKE_COMMAND} -E copy_directory ${CEF_ROOT}/Resources $<TARGET_FILE_DIR:${target}>
      VERBATIM)
    return()
  endif()
  get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT dir)
    set(dir ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  get_target_property(engine_dir libcef RUNTIME_OUTPUT_DIRECTORY)
  if(dir STREQUAL engine_dir)
    add_dependencies(${target} libcef)
    return()
  endif()
  string(MAKE_C_IDENTIFIER "cef_runtime_${dir}" copy_target)
  if(NOT TARGET ${copy_target})
    add_custom_command(OUTPUT ${dir}/libcef.dll
      COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:libcef> ${dir}/libcef.dll
      DEPENDS libcef $<TARGET_FILE:libcef>
      VERBATIM)
    add_custom_target(${copy_target} DEPENDS ${dir}/libcef.dll)
  endif()
  add_dependencies(${target} ${copy_target})
endfunction()
