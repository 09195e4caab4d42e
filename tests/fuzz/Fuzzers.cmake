# Fuzz targets of the file readers. tests/fuzz/<name>/ holds one target: its source (which
# defines LLVMFuzzerTestOneInput), its seeds in seeds/ and, if it has one, a libFuzzer
# dictionary named dict. The programs go to <build>/fuzz/. tools/fuzz.sh builds them with
# AddressSanitizer and UndefinedBehaviorSanitizer in a build folder of their own and runs each
# for a while from its seeds.
#
# With Clang and CORVALLEN_FUZZ_ENGINE=libfuzzer the targets are libFuzzer programs; otherwise
# (GCC, the ordinary build, which only checks that they still build) they get the small driver
# of FuzzMain.cpp, which takes the same flags.
set(CORVALLEN_FUZZ_ENGINE "driver" CACHE STRING "How the fuzz targets are driven: driver or libfuzzer")

#   corvallen_fuzzer(<name> [SOURCES files of the program under test...] [LIBS libraries...])
# Naming the few source files a parser needs, instead of its whole subsystem, keeps the
# sanitizer build small.
set(corvallen_fuzz_dir "${CMAKE_CURRENT_LIST_DIR}")
function(corvallen_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  set(dir "${corvallen_fuzz_dir}")
  file(GLOB harness CONFIGURE_DEPENDS "${dir}/${name}/*.cpp")
  list(TRANSFORM ARG_SOURCES PREPEND "${CMAKE_SOURCE_DIR}/Corvallen/")
  add_executable(fuzz_${name} ${harness} "${dir}/FuzzSupport.cpp" "${dir}/FuzzSupport.h" ${ARG_SOURCES})
  set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
  target_include_directories(fuzz_${name} PRIVATE "${dir}" "${CMAKE_SOURCE_DIR}")
  target_link_libraries(fuzz_${name} PRIVATE Qt6::Core ${ARG_LIBS})
  if(CORVALLEN_FUZZ_ENGINE STREQUAL "libfuzzer")
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(fuzz_${name} PRIVATE "${dir}/FuzzMain.cpp")
  endif()
endfunction()

corvallen_fuzzer(markdown SOURCES Settings/MarkdownBlock.cpp Model/TextTrim.cpp)
corvallen_fuzzer(ledger SOURCES Sync/SourceLedger.cpp Platform/AppPaths.cpp Platform/JsonText.cpp)
corvallen_fuzzer(settings SOURCES Platform/SettingsStore.cpp Platform/SettingsStore.h Platform/AppPaths.cpp Platform/JsonText.cpp)
corvallen_fuzzer(markup LIBS corvallen_documents Qt6::Gui)
