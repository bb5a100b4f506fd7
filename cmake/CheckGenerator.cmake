# Runs a content generator and compares its output with the committed file.
# SOURCE, when given, is the folder the generator reads; a check whose source
# folder is absent prints "SKIPPED" and passes (the test's
# SKIP_REGULAR_EXPRESSION reports it as skipped).
set(source_args)
if(DEFINED SOURCE)
    if(NOT IS_DIRECTORY "${SOURCE}")
        message("SKIPPED: the generator's source folder ${SOURCE} is absent")
        return()
    endif()
    set(source_args "${SOURCE}")
endif()
execute_process(COMMAND ${PYTHON} ${GENERATOR} ${source_args} ${OUTPUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the generator failed (${rc})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED} RESULT_VARIABLE diff)
if(NOT diff EQUAL 0)
    message(FATAL_ERROR "the generator does not reproduce ${EXPECTED}")
endif()
