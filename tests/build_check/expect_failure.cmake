# Builds each of TARGETS in BUILD_DIR and fails when one of them builds.
foreach(target ${TARGETS})
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    if(result EQUAL 0)
        message(FATAL_ERROR "${target} built: its library reaches what it must not (widgets, or the database)")
    endif()
    message(STATUS "${target}: refused, as it must be")
endforeach()
