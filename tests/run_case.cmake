# Runs the evaluator on one case folder and compares its report with the
# folder's expected.txt, byte for byte. Called by CTest as
#   cmake -DEVALUATOR=... [-DEMULATOR=...] [-DTEXT_MODE=ON] -DCASE=folder -DREPORT=file
#         -P run_case.cmake
# EMULATOR runs a cross-built evaluator. With TEXT_MODE (Windows) the report
# is read as text mode reads it: every line feed must follow a carriage
# return, which is dropped.
file(REMOVE ${REPORT})
execute_process(COMMAND ${EMULATOR} ${EVALUATOR} eval ${CASE}/testdata.txt ${CASE}/submission.txt
                        ${REPORT}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}, expected 0")
endif()
if(NOT out STREQUAL "" OR NOT err STREQUAL "")
  message(FATAL_ERROR "the evaluator printed something: ${out}${err}")
endif()
# Compared as hexadecimal bytes, one "xx;" each, so that any byte compares.
file(READ ${REPORT} got HEX)
file(READ ${CASE}/expected.txt want HEX)
string(REGEX REPLACE "(..)" "\\1;" got "${got}")
string(REGEX REPLACE "(..)" "\\1;" want "${want}")
if(TEXT_MODE)
  # Every byte is three characters, so a match always starts at a byte.
  string(REPLACE "0d;0a;" "LF;" got "${got}")
  if(got MATCHES "0a;")
    message(FATAL_ERROR "a line feed without a carriage return in a text-mode report")
  endif()
  string(REPLACE "LF;" "0a;" got "${got}")
endif()
if(NOT got STREQUAL want)
  file(READ ${REPORT} got_text)
  file(READ ${CASE}/expected.txt want_text)
  message(FATAL_ERROR "report differs\n--- expected\n${want_text}--- got\n${got_text}")
endif()
