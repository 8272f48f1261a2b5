# The Windows release as a user unpacks it: `cpack -G ZIP` in the Windows
# build makes one zip with the player, showpack, the demo show and a readme
# in CR LF text, and nothing else. Run with -DBUILD_DIR=<the Windows build>
# -DCPACK=<cpack>; the demo show is made first, as a release needs it.
set(scratch ${BUILD_DIR}/release-zip-test)
file(REMOVE_RECURSE ${scratch})
file(MAKE_DIRECTORY ${scratch}/unpacked)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}):\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --build ${BUILD_DIR} --target demo)
run(${CPACK} -G ZIP --config ${BUILD_DIR}/CPackConfig.cmake -B ${scratch})
file(GLOB zips ${scratch}/*.zip)
list(LENGTH zips count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one zip, found: ${zips}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zips} OUTPUT_VARIABLE listing
                RESULT_VARIABLE rc)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")
list(FILTER entries EXCLUDE REGEX "/$")
list(SORT entries)
set(top lumivane-0.1-windows-x86)
set(expected ${top}/Demo.exe ${top}/README.txt ${top}/lumivane.scr ${top}/showpack.exe)
if(NOT rc EQUAL 0 OR NOT entries STREQUAL expected)
  message(FATAL_ERROR "the zip holds:\n${listing}\nexpected: ${expected}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zips}
                WORKING_DIRECTORY ${scratch}/unpacked RESULT_VARIABLE rc)
set(unpacked ${scratch}/unpacked/${top})
# Read as bytes, "0d 0a ...": file(READ) drops carriage returns in text.
file(READ ${unpacked}/README.txt readme HEX)
string(REGEX REPLACE "(..)" "\\1 " bytes "${readme}")
string(REPLACE "0d 0a " "" bare "${bytes}")
if(NOT rc EQUAL 0 OR bytes STREQUAL "" OR bare MATCHES "(^| )0[ad] "
   OR NOT bytes MATCHES "0d 0a $")
  message(FATAL_ERROR "README.txt is not CR LF text")
endif()

# The zip's own showpack reads the zip's demo show whole.
run(${BUILD_DIR}/wine-run ${unpacked}/showpack.exe list ${unpacked}/Demo.exe)
if(NOT out MATCHES "pictures: 12\r?\nsounds: 2")
  message(FATAL_ERROR "showpack list Demo.exe:\n${out}")
endif()
file(REMOVE_RECURSE ${scratch})
message(STATUS "the zip holds ${expected}")
