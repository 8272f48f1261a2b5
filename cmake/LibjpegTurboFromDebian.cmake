# libjpeg-turbo for the Windows build, built once from Debian's source package
# and kept under the build tree. Provides the imported target JPEG::JPEG, the
# same name that FindJPEG gives the native build, and TurboJPEG::TurboJPEG,
# whose lossless transforms showpack uses.
set(_jpeg_root ${CMAKE_BINARY_DIR}/libjpeg-turbo)
set(_jpeg_install ${_jpeg_root}/install)
set(_jpeg_lib ${_jpeg_install}/lib/libjpeg.a)
set(_turbojpeg_lib ${_jpeg_install}/lib/libturbojpeg.a)

# The decoder's speed on Windows comes from libjpeg-turbo's SIMD code, which
# its build leaves out with only a status line when nasm is missing or
# unusable. Its nasm-built routines exist only then; jsimd_none.c's stand-ins
# carry no such names.
set(_jpeg_simd_symbol jsimd_idct_islow_sse2)
function(lumivane_jpeg_has_simd library result)
  set(${result} FALSE PARENT_SCOPE)
  if(EXISTS ${library})
    execute_process(COMMAND ${CMAKE_NM} --defined-only ${library}
                    OUTPUT_VARIABLE _symbols ERROR_QUIET RESULT_VARIABLE _rc)
    if(_rc EQUAL 0 AND _symbols MATCHES "[ _]${_jpeg_simd_symbol}\n")
      set(${result} TRUE PARENT_SCOPE)
    endif()
  endif()
endfunction()

lumivane_jpeg_has_simd(${_jpeg_lib} _jpeg_simd)
if(NOT _jpeg_simd OR NOT EXISTS ${_turbojpeg_lib})
  message(STATUS "Building libjpeg-turbo for Windows from Debian's source package")
  file(MAKE_DIRECTORY ${_jpeg_root}/source)
  file(GLOB _jpeg_sources LIST_DIRECTORIES true ${_jpeg_root}/source/libjpeg-turbo-*)
  if(NOT _jpeg_sources)
    execute_process(COMMAND apt-get source -qq libjpeg-turbo
                    WORKING_DIRECTORY ${_jpeg_root}/source
                    RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "apt-get source libjpeg-turbo failed; has scripts/setup run?")
    endif()
    file(GLOB _jpeg_sources LIST_DIRECTORIES true ${_jpeg_root}/source/libjpeg-turbo-*)
  endif()
  list(FILTER _jpeg_sources EXCLUDE REGEX "\\.(dsc|tar\\..*)$")
  list(GET _jpeg_sources 0 _jpeg_source)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${_jpeg_source} -B ${_jpeg_root}/build -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
            -DCMAKE_BUILD_TYPE=Release
            -DCMAKE_INSTALL_PREFIX=${_jpeg_install}
            -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_SIMD=1
            -DWITH_TURBOJPEG=1
            -DWITH_JPEG8=0
    OUTPUT_QUIET RESULT_VARIABLE _rc)
  if(_rc EQUAL 0)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${_jpeg_root}/build --target install
                    OUTPUT_QUIET RESULT_VARIABLE _rc)
  endif()
  if(NOT _rc EQUAL 0 OR NOT EXISTS ${_jpeg_lib} OR NOT EXISTS ${_turbojpeg_lib})
    message(FATAL_ERROR "building libjpeg-turbo for Windows failed")
  endif()
  lumivane_jpeg_has_simd(${_jpeg_lib} _jpeg_simd)
  if(NOT _jpeg_simd)
    message(FATAL_ERROR "libjpeg-turbo for Windows was built without its SIMD code "
                        "(${_jpeg_simd_symbol} is missing from ${_jpeg_lib}); is nasm installed?")
  endif()
endif()

add_library(JPEG::JPEG STATIC IMPORTED)
set_target_properties(JPEG::JPEG PROPERTIES
  IMPORTED_LOCATION ${_jpeg_lib}
  INTERFACE_INCLUDE_DIRECTORIES ${_jpeg_install}/include)

add_library(TurboJPEG::TurboJPEG STATIC IMPORTED)
set_target_properties(TurboJPEG::TurboJPEG PROPERTIES
  IMPORTED_LOCATION ${_turbojpeg_lib}
  INTERFACE_INCLUDE_DIRECTORIES ${_jpeg_install}/include)
