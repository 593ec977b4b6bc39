# cmake -DSCDOC=... -DINPUT=page.scd -DOUTPUT=page -P RunScdoc.cmake
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
