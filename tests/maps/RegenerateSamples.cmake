# Runs every "    nsfgen ..." line of samples/README.md with its output sent to
# WORK_DIR, and compares each result with the committed sample.
# Arguments: NSFGEN, SOURCE_DIR, WORK_DIR.
cmake_minimum_required(VERSION 3.22)
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(STRINGS "${SOURCE_DIR}/samples/README.md" commands REGEX "^    nsfgen ")
if(NOT commands)
  message(FATAL_ERROR "samples/README.md lists no nsfgen command")
endif()

set(covered "")
foreach(command IN LISTS commands)
  string(STRIP "${command}" command)
  separate_arguments(args UNIX_COMMAND "${command}")
  list(REMOVE_AT args 0)
  list(FIND args "--out" at)
  if(at LESS 0)
    message(FATAL_ERROR "no --out in: ${command}")
  endif()
  math(EXPR at "${at} + 1")
  list(GET args ${at} committed)
  get_filename_component(name "${committed}" NAME)
  list(REMOVE_AT args ${at})
  list(INSERT args ${at} "${WORK_DIR}/${name}")
  execute_process(COMMAND "${NSFGEN}" ${args}
    WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nsfgen failed (${rc}) for: ${command}\n${err}")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files
    "${SOURCE_DIR}/${committed}" "${WORK_DIR}/${name}" RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${committed} differs from what its README command writes: ${command}")
  endif()
  list(APPEND covered "${name}")
endforeach()

# Every committed sample must have its command.
file(GLOB samples RELATIVE "${SOURCE_DIR}/samples" "${SOURCE_DIR}/samples/*")
list(REMOVE_ITEM samples README.md)
# Rules files are written by hand; RulesTest and CliRulesTest load them.
list(FILTER samples EXCLUDE REGEX "\\.rules$")
foreach(sample IN LISTS samples)
  if(NOT sample IN_LIST covered)
    message(FATAL_ERROR "samples/${sample} has no nsfgen command in samples/README.md")
  endif()
endforeach()
message(STATUS "regenerated and matched: ${covered}")
