# Builds each probe of PROBES ("target|header" items) and fails unless each
# one's compilation failed because its header was not found.
foreach(probe IN LISTS PROBES)
    string(REPLACE "|" ";" parts "${probe}")
    list(GET parts 0 target)
    list(GET parts 1 header)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(result EQUAL 0)
        message(FATAL_ERROR "${target} compiled: it must not see ${header}")
    endif()
    string(FIND "${out}${err}" "${header}: No such file or directory" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${target} failed for another reason:\n${out}${err}")
    endif()
    message(STATUS "${target}: ${header} not visible, as it should be")
endforeach()
