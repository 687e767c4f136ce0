# One fuzz harness as a test: every input of CORPUS, then new inputs from a fixed seed until
# RUNS inputs have run. New corpus entries go to WORK/new, emptied first, so that the
# repository's corpus never changes and every run tries the same inputs. An input that
# crashes, leaks or hangs (10 s) fails the test and stays in WORK as crash-*, leak-* or
# timeout-*, to be replayed with: HARNESS WORK/crash-...
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/new)
execute_process(
  COMMAND ${HARNESS} -runs=${RUNS} -seed=1 -timeout=10 -artifact_prefix=${WORK}/ ${WORK}/new ${CORPUS}
  RESULT_VARIABLE status)
file(REMOVE_RECURSE ${WORK}/new)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${HARNESS} failed (${status}); its input is in ${WORK}")
endif()
