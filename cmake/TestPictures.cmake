# Real JPEG files for the image tests: libjpeg-turbo's own test images, taken
# from Debian's source package, and variants that Debian's cjpeg, jpegtran and
# ImageMagick make from them. The tools run on the build machine for both
# builds; the pictures land in ${LUMIVANE_TEST_PICTURES}, target
# lumivane_test_pictures.
set(LUMIVANE_TEST_PICTURES ${CMAKE_BINARY_DIR}/test-pictures)

# The Windows build has the source package already, for its libjpeg-turbo.
set(_search ${CMAKE_BINARY_DIR}/libjpeg-turbo/source/libjpeg-turbo-*/testimages
            ${CMAKE_BINARY_DIR}/libjpeg-turbo-testimages/libjpeg-turbo-*/testimages)
file(GLOB _testimages LIST_DIRECTORIES true ${_search})
if(NOT _testimages)
  message(STATUS "Fetching libjpeg-turbo's test images from Debian's source package")
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/libjpeg-turbo-testimages)
  execute_process(COMMAND apt-get source -qq libjpeg-turbo
                  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/libjpeg-turbo-testimages
                  OUTPUT_QUIET RESULT_VARIABLE _rc)
  file(GLOB _testimages LIST_DIRECTORIES true ${_search})
  if(NOT _rc EQUAL 0 OR NOT _testimages)
    message(FATAL_ERROR "apt-get source libjpeg-turbo failed; has scripts/setup run?")
  endif()
endif()
list(GET _testimages 0 LUMIVANE_JPEG_TESTIMAGES)

set(_pictures
  testorig.jpg testimgari.jpg testimgint.jpg testorig12.jpg
  sampled444.jpg sampled422.jpg sampled420.jpg sampled411.jpg grey.jpg progressive.jpg
  arithmetic.jpg restarts.jpg stored-rgb.jpg
  transcoded-progressive.jpg transcoded-arithmetic.jpg transcoded-grey.jpg cmyk.jpg)
list(TRANSFORM _pictures PREPEND ${LUMIVANE_TEST_PICTURES}/ OUTPUT_VARIABLE _outputs)
add_custom_command(
  OUTPUT ${_outputs}
  COMMAND ${CMAKE_COMMAND} -DTESTIMAGES=${LUMIVANE_JPEG_TESTIMAGES}
          -DOUTPUT=${LUMIVANE_TEST_PICTURES} -P ${CMAKE_SOURCE_DIR}/cmake/MakeTestPictures.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/MakeTestPictures.cmake
  COMMENT "Making the test pictures")
add_custom_target(lumivane_test_pictures DEPENDS ${_outputs})
