# The /test batch mode, without and with a watermark file, must write exactly
# the GIFs it writes today. The encoder is integer-only and the resampler's
# doubles are built without contraction, so the native program and pixlo.exe
# under Wine write the same bytes and both builds hold these same hashes.
#
# A change of the encoder's numbers, the resampling, the watermark blend or
# the file layout shows up here. When such a change is intended, take the new
# hashes only after the round-trip and pinned-value tests agree with it.
#
# cmake -DPROGRAM=<pixlo or pixlo.exe> [-DEMULATOR=<runner>]
#       -DWATERMARK=<png> -DWORK=<scratch folder> -P test_animation_hashes.cmake
cmake_minimum_required(VERSION 3.22)

foreach(name PROGRAM WATERMARK WORK)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "${name} is not set")
  endif()
endforeach()

# output file | watermark file | SHA-256 of the output
set(cases
  "plain.gif||3752cabd33f5d11392b8f4991c2e75072c7a9c03df327e6a1518212396988286"
  "marked.gif|mark.png|8f831fc51674bf234109cee3dfa0b83fe01b9a2ac551d91b4e8865ba40d3fce0"
)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# Relative names only: the Windows program sees the folder through Wine's
# drive mapping, and relative names need none.
file(COPY_FILE "${WATERMARK}" "${WORK}/mark.png")

set(failed 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 gif)
  list(GET fields 1 watermark)
  list(GET fields 2 expected)
  string(STRIP "/test ${gif} ${watermark}" run)
  execute_process(
    COMMAND ${EMULATOR} "${PROGRAM}" /test ${gif} ${watermark}
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors
    TIMEOUT 240
  )
  # pixlo.exe ends its lines with CR LF, the native program with LF.
  string(REPLACE "\r\n" "\n" output "${output}")
  if(NOT status STREQUAL "0" OR NOT output STREQUAL "OK: ${gif}  frames=24  out=360x400\n")
    message(SEND_ERROR "${run}: exit ${status}, printed '${output}' ${errors}")
    set(failed 1)
    continue()
  endif()
  file(SHA256 "${WORK}/${gif}" actual)
  if(NOT actual STREQUAL expected)
    message(SEND_ERROR "${run}: SHA-256 ${actual}, expected ${expected}; "
                       "the file is kept in ${WORK}")
    set(failed 1)
  else()
    message(STATUS "${run}: ${actual}")
  endif()
endforeach()

if(NOT failed)
  file(REMOVE_RECURSE "${WORK}")
endif()
