# Runs the evaluator on one case folder and compares its report with the
# folder's expected.txt, byte for byte. Called by CTest as
#   cmake -DEVALUATOR=... -DCASE=folder -DREPORT=file -P run_case.cmake
file(REMOVE ${REPORT})
execute_process(COMMAND ${EVALUATOR} eval ${CASE}/testdata.txt ${CASE}/submission.txt ${REPORT}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}, expected 0")
endif()
if(NOT out STREQUAL "" OR NOT err STREQUAL "")
  message(FATAL_ERROR "the evaluator printed something: ${out}${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${REPORT} ${CASE}/expected.txt
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  file(READ ${REPORT} got)
  file(READ ${CASE}/expected.txt want)
  message(FATAL_ERROR "report differs\n--- expected\n${want}--- got\n${got}")
endif()
