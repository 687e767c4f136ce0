# The fuzz harnesses in the test suite. The test build builds the fuzz tree (preset fuzz:
# clang, the harnesses only) in <build>/fuzz, and ctest runs every harness over its seed
# corpus and then a fixed number of new inputs from a fixed seed, the same inputs each time.
# tools/fuzz.sh runs them for longer.
find_program(SORTIE_CLANGXX clang++)
if(NOT SORTIE_CLANGXX)
  message(WARNING "clang++ is not installed: the fuzz harnesses are neither built nor run")
  return()
endif()

set(SORTIE_FUZZ_DIR ${CMAKE_BINARY_DIR}/fuzz)
include(ExternalProject)
ExternalProject_Add(fuzz-harnesses
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${SORTIE_FUZZ_DIR}
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR} -B ${SORTIE_FUZZ_DIR} --preset fuzz
                    -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")

# Inputs each harness runs in the suite, seeds included: a few seconds each. The harnesses
# that write files or play frames for every input run fewer, for 10 to 20 seconds each.
set(SORTIE_FUZZ_RUNS 50000)
set(SORTIE_FUZZ_RUNS_charlist 15000)
set(SORTIE_FUZZ_RUNS_checker 4000)
set(SORTIE_FUZZ_RUNS_script 10000)
set(SORTIE_FUZZ_RUNS_stage 3500)
set(SORTIE_FUZZ_RUNS_save_state 1500)
file(GLOB SORTIE_FUZZ_HARNESSES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
foreach(source ${SORTIE_FUZZ_HARNESSES})
  get_filename_component(name ${source} NAME_WE)
  set(runs ${SORTIE_FUZZ_RUNS})
  if(DEFINED SORTIE_FUZZ_RUNS_${name})
    set(runs ${SORTIE_FUZZ_RUNS_${name}})
  endif()
  add_test(NAME fuzz.${name}
    COMMAND ${CMAKE_COMMAND} -DHARNESS=${SORTIE_FUZZ_DIR}/fuzz/fuzz_${name}
            -DCORPUS=${CMAKE_SOURCE_DIR}/fuzz/corpus/${name} -DWORK=${SORTIE_FUZZ_DIR}/runs/${name}
            -DRUNS=${runs} -P ${CMAKE_SOURCE_DIR}/fuzz/run.cmake)
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 120)
endforeach()
