# cmake -DINPUT=file -DOUTPUT=file.gz -P GzipFile.cmake
# Best compression and no name or time stamp inside, so the same input always
# gives the same bytes (reproducible packages, as Debian asks of manual pages).
get_filename_component(directory ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${directory})
execute_process(COMMAND gzip -9nc INPUT_FILE ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip ${INPUT}: ${result}")
endif()
