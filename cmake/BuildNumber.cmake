# The build number that About shows and every backup manifest records: the number of commits
# when built from a git checkout, the build date (yyyymmdd) when there is no repository; a
# packager may fix it with -DCORVALLEN_BUILD_NUMBER=N. It is worked out again at every build, so
# a new commit shows at once, and only the one small file that holds it is compiled again when
# it changes.
set(CORVALLEN_BUILD_NUMBER "" CACHE STRING "Build number (empty: the commit count, else the build date)")
find_package(Git QUIET)
set(CORVALLEN_BUILD_NUMBER_SOURCE "${CMAKE_BINARY_DIR}/generated/BuildNumber.cpp")
set(_corvallen_build_number_command
  "${CMAKE_COMMAND}" "-DSOURCE_DIR=${CMAKE_SOURCE_DIR}" "-DOUTPUT=${CORVALLEN_BUILD_NUMBER_SOURCE}"
  "-DGIT=${GIT_EXECUTABLE}" "-DOVERRIDE=${CORVALLEN_BUILD_NUMBER}"
  -P "${CMAKE_SOURCE_DIR}/cmake/WriteBuildNumber.cmake")
# Once now, so the file exists before the first build.
execute_process(COMMAND ${_corvallen_build_number_command})
add_custom_target(corvallen_build_number
  COMMAND ${_corvallen_build_number_command}
  BYPRODUCTS "${CORVALLEN_BUILD_NUMBER_SOURCE}"
  VERBATIM)
target_sources(corvallen_platform PRIVATE "${CORVALLEN_BUILD_NUMBER_SOURCE}")
add_dependencies(corvallen_platform corvallen_build_number)
