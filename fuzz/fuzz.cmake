# The fuzz targets, built with clang and libFuzzer beside the program's libraries.
# scripts/fuzz.sh configures the whole tree with this file as CMAKE_PROJECT_INCLUDE, so
# the libraries are compiled with the same sanitizers and coverage instrumentation.
set(qv_fuzz_dir ${CMAKE_CURRENT_LIST_DIR})
# target:library it needs ("-": none beyond its own sources)
set(qv_fuzz_targets image:qv_draw font:qv_draw script:- text:qv_errors)
foreach(pair ${qv_fuzz_targets})
  string(REPLACE ":" ";" parts ${pair})
  list(GET parts 0 name)
  list(GET parts 1 lib)
  add_executable(fuzz_${name} ${qv_fuzz_dir}/${name}_fuzz.cpp)
  set_target_properties(fuzz_${name} PROPERTIES CXX_STANDARD 20 CXX_STANDARD_REQUIRED ON
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  target_include_directories(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR})
  if(NOT lib STREQUAL "-")
    target_link_libraries(fuzz_${name} PRIVATE ${lib})
  endif()
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
endforeach()
# The script reader stands alone; the rest of the shell needs every library.
target_sources(fuzz_script PRIVATE ${CMAKE_SOURCE_DIR}/shell/Script.cpp)
