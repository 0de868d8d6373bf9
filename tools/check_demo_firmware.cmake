# Fails when the checked-in demo firmware files differ from what the generator
# makes now, so a change to the generator cannot leave stale data behind.
#   cmake -DGENERATOR=<exe> -DDATA=<data folder> -DWORK=<scratch folder> -P check_demo_firmware.cmake
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${GENERATOR}" "${WORK}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the generator failed: ${result}")
endif()
foreach(file built_in_image.bin demo/PaleReed_f066.hex)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/${file}" "${DATA}/${file}"
                    RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "data/${file} is stale: build the regenerate_demo_firmware target")
    endif()
endforeach()
