# Fails unless CPack's zip of the build holds the program file and its
# licence, in one folder named as the zip is, and nothing else.
# cmake -DCPACK=cpack -DBINARY_DIR=build -DSCRATCH=folder -P windows_zip.cmake
file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND ${CPACK} -G ZIP -B ${SCRATCH} WORKING_DIRECTORY ${BINARY_DIR}
                RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(GLOB zip ${SCRATCH}/*.zip)
if(failed OR NOT zip)
  message(FATAL_ERROR "cpack made no zip:\n${output}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
string(STRIP "${listing}" listing)
string(REPLACE "\n" ";" entries "${listing}")
list(FILTER entries EXCLUDE REGEX "/$")  # folders
list(SORT entries)
get_filename_component(folder ${zip} NAME_WLE)
if(failed OR NOT entries STREQUAL "${folder}/LICENSE.txt;${folder}/Zwinkerle.exe")
  message(FATAL_ERROR "${zip} holds:\n${listing}")
endif()
message(STATUS "${zip}: ${entries}")
