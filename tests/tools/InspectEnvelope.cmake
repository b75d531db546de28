# Runs `demo-inspect envelope` on two envelope blocks written here: one line per envelope and
# time with 9 significant digits, then a broken block, which must fail with its message alone.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
file(WRITE ${WORKDIR}/two.txt "{ Envelope\n  2\n  Key 0 1 3 0 0 0 0 0 0\n  Key 4 3 3 0 0 0 0 0 0\n"
    "  Behaviors 4 4\n}\n{ Envelope 1 Key 0.1 0 0 0 0 0 0 0 0 Behaviors 1 1 }\n")
execute_process(COMMAND ${INSPECT} envelope ${WORKDIR}/two.txt --at 0.5,2,4
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 60)
set(expected "0 0.5 -1\n0 2 2\n0 4 6\n1 0.5 0.100000001\n1 2 0.100000001\n1 4 0.100000001\n")
if(NOT status EQUAL 0 OR NOT output STREQUAL expected)
    message(FATAL_ERROR "status ${status}; stdout:\n${output}\nstderr:\n${errors}")
endif()

file(WRITE ${WORKDIR}/bad.txt "{ Envelope 1 Key 0 0 3 0 0 0 0 0 0 }\n{ Envelope 1 Kez }\n")
execute_process(COMMAND ${INSPECT} envelope ${WORKDIR}/bad.txt --at 1
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 60)
if(NOT status EQUAL 1 OR NOT output STREQUAL "" OR NOT errors STREQUAL "Not Behaviors\n")
    message(FATAL_ERROR "status ${status}; stdout:\n${output}\nstderr:\n${errors}")
endif()
