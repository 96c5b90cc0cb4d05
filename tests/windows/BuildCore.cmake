# Configures and builds the Windows core project (tests/windows) in its own folder, kept between
# runs so that only changed sources are compiled again. Fails on the first compile error.
foreach(step configure build)
    if(step STREQUAL configure)
        set(command ${CMAKE_COMMAND} -S ${PROJECT_DIR} -B ${BINARY_DIR} -G Ninja
            -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_CXX_COMPILER=${CXX}
            -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER} -DQUILLMERE_CORE_SOURCES=${SOURCES}
            -DQUILLMERE_SOURCE_DIR=${SOURCE_DIR})
    else()
        set(command ${CMAKE_COMMAND} --build ${BINARY_DIR} -j 2)
    endif()
    execute_process(COMMAND ${command} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "The core does not ${step} for Windows")
    endif()
endforeach()
