# Runs the player where no display exists and no configuration file is present: the message is
# written to standard error once (a display would show its box twice), and the exit status is 1.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY ${PLAYER}
    WORKING_DIRECTORY ${WORKDIR}
    RESULT_VARIABLE status
    ERROR_VARIABLE errors
    TIMEOUT 60)
set(expected "Loading Error: Cannot load file defaultdemoconfig.txt from directory")
string(REGEX MATCHALL "${expected}" found "${errors}")
list(LENGTH found count)
if(NOT status EQUAL 1 OR NOT count EQUAL 1)
    message(FATAL_ERROR "status ${status}, message seen ${count} times; stderr:\n${errors}")
endif()
