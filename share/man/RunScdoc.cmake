# cmake -DSCDOC=... [-DGZIP=...] -DINPUT=page.scd -DOUTPUT=page -P RunScdoc.cmake
# Writes OUTPUT, and OUTPUT.gz when GZIP is given.
# scdoc reads standard input and writes standard output; a failed run must
# not leave a half-written page behind.
execute_process(
  COMMAND ${SCDOC}
  INPUT_FILE ${INPUT}
  OUTPUT_FILE ${OUTPUT}.tmp
  ERROR_VARIABLE err
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE ${OUTPUT}.tmp)
  message(FATAL_ERROR "scdoc failed on ${INPUT}: ${err}")
endif()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
if(GZIP)
  # -n: no name or time stamp, so the same page gives the same bytes.
  execute_process(COMMAND ${GZIP} -9 -n -c ${OUTPUT} OUTPUT_FILE ${OUTPUT}.gz RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${OUTPUT}")
  endif()
else()
  file(TOUCH ${OUTPUT}.gz)
endif()
