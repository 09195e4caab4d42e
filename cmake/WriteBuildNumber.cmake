# Script mode (cmake -P): writes OUTPUT with the build number, touching it only when the number
# changed. Inputs: SOURCE_DIR, OUTPUT, GIT (may be empty), OVERRIDE (may be empty).
set(number "${OVERRIDE}")
if(number STREQUAL "" AND GIT)
  execute_process(COMMAND "${GIT}" rev-list --count HEAD
    WORKING_DIRECTORY "${SOURCE_DIR}"
    OUTPUT_VARIABLE out RESULT_VARIABLE rc
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(rc EQUAL 0 AND out MATCHES "^[0-9]+$")
    set(number "${out}")
  endif()
endif()
if(number STREQUAL "")
  string(TIMESTAMP number "%Y%m%d" UTC)
endif()
if(NOT number MATCHES "^[0-9A-Za-z._+-]+$")
  message(FATAL_ERROR "CORVALLEN_BUILD_NUMBER may hold only letters, digits and . _ + -: '${number}'")
endif()
set(content "// Written by cmake/WriteBuildNumber.cmake at build time.\nextern const char corvallenBuildNumber[];\nconst char corvallenBuildNumber[] = \"${number}\";\n")
set(old "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL content)
  file(WRITE "${OUTPUT}" "${content}")
endif()
