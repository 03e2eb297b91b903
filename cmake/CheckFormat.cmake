file(GLOB_RECURSE files
    ${SOURCE_DIR}/shell/*.cpp ${SOURCE_DIR}/shell/*.h
    ${SOURCE_DIR}/stream/*.cpp ${SOURCE_DIR}/stream/*.h
    ${SOURCE_DIR}/calibration/*.cpp ${SOURCE_DIR}/calibration/*.h
    ${SOURCE_DIR}/files/*.cpp ${SOURCE_DIR}/files/*.h
    ${SOURCE_DIR}/instrument/*.cpp ${SOURCE_DIR}/instrument/*.h
    ${SOURCE_DIR}/display/*.cpp ${SOURCE_DIR}/display/*.h
    ${SOURCE_DIR}/tools/*.cpp ${SOURCE_DIR}/tools/*.h
    ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${files} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Some files do not follow .clang-format (run clang-format -i on them).")
endif()
