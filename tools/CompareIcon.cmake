# Makes the icon from its art and fails when the committed icon differs from it.
execute_process(COMMAND ${TOOL} ${OUTPUT} ${ART} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "kelvane_make_icon failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED}
                RESULT_VARIABLE different)
if(different)
    message(FATAL_ERROR "${EXPECTED} is not what the art in res/icon/ makes; "
                        "rebuild it with kelvane_make_icon")
endif()
