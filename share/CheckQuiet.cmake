# cmake -DPROGRAM=... -DARGS="..." [-DSUCCESS=line] -P CheckQuiet.cmake
# Runs a checker and fails on a non-zero exit or on any output but the one
# line SUCCESS that the checker prints when it has nothing to say.
separate_arguments(_args UNIX_COMMAND "${ARGS}")
execute_process(
  COMMAND ${PROGRAM} ${_args}
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE rc)
set(said "${out}${err}")
if(DEFINED SUCCESS)
  string(REGEX REPLACE "[^\n]*${SUCCESS}[^\n]*" "" said "${said}")
endif()
string(STRIP "${said}" said)
if(NOT rc EQUAL 0 OR NOT said STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} ${ARGS} (exit ${rc}):\n${out}${err}")
endif()
