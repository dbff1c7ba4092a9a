# Runs the evaluator on one case folder and compares its report with the
# folder's expected.txt, byte for byte; then the explain program, whose
# output must start with that report and end with the exit status that its
# verdict has, and equal explain.txt (and with --json explain.json) where the
# folder holds them. Called by CTest as
#   cmake -DEVALUATOR=... -DEXPLAIN=... [-DEMULATOR=...] [-DTEXT_MODE=ON] -DCASE=folder
#         -DREPORT=file -P run_case.cmake
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
# The bytes of file as hexadecimal, one "xx;" each, so that any byte
# compares; with TEXT_MODE as text mode reads the programs' output.
function(read_bytes file variable)
  file(READ ${file} bytes HEX)
  string(REGEX REPLACE "(..)" "\\1;" bytes "${bytes}")
  if(TEXT_MODE AND NOT file MATCHES "^${CASE}/")
    # Every byte is three characters, so a match always starts at a byte.
    string(REPLACE "0d;0a;" "LF;" bytes "${bytes}")
    if(bytes MATCHES "0a;")
      message(FATAL_ERROR "a line feed without a carriage return in text-mode ${file}")
    endif()
    string(REPLACE "LF;" "0a;" bytes "${bytes}")
  endif()
  set(${variable} "${bytes}" PARENT_SCOPE)
endfunction()

# Fails unless file holds exactly the bytes of the case's file named want.
function(expect_same file want)
  read_bytes(${file} got)
  read_bytes(${CASE}/${want} want_bytes)
  if(NOT got STREQUAL want_bytes)
    file(READ ${file} got_text)
    file(READ ${CASE}/${want} want_text)
    message(FATAL_ERROR "${file} differs from ${want}\n--- expected\n${want_text}--- got\n${got_text}")
  endif()
endfunction()

expect_same(${REPORT} expected.txt)

# The explain program: its verdict is the report's, then what it adds.
set(explained ${REPORT}.explain)
execute_process(COMMAND ${EMULATOR} ${EXPLAIN} ${CASE}/testdata.txt ${CASE}/submission.txt
                RESULT_VARIABLE status OUTPUT_FILE ${explained} ERROR_VARIABLE err)
read_bytes(${explained} got)
read_bytes(${CASE}/expected.txt want)
string(LENGTH "${want}" want_length)
string(SUBSTRING "${got}" 0 ${want_length} got_start)
if(NOT got_start STREQUAL want OR NOT err STREQUAL "")
  message(FATAL_ERROR "explain does not start with the report\n${err}")
endif()
if(want MATCHES "^4f;4b;0a;")
  set(statuses 0)
elseif(want MATCHES "^4e;61;" AND CASE MATCHES "/test-data-[^/]*$")
  set(statuses 3)
elseif(want MATCHES "^4e;61;")
  set(statuses 1)
else()
  set(statuses 2)
endif()
list(FIND statuses "${status}" found)
if(found EQUAL -1)
  message(FATAL_ERROR "explain ended with status ${status}, expected one of ${statuses}")
endif()
# explain.txt and explain.json are the English text and JSON; explain-sl.txt
# and explain-sl.json the Slovenian ones, with the accepted sections'
# statistics.
foreach(form txt json sl.txt sl.json)
  string(REPLACE "sl." "" extension "${form}")
  set(want explain.${extension})
  set(options --lang en)
  if(form MATCHES "^sl")
    set(want explain-sl.${extension})
    set(options --lang sl --stats)
  endif()
  if(extension STREQUAL "json")
    list(APPEND options --json)
  endif()
  if(NOT EXISTS ${CASE}/${want})
    continue()
  endif()
  execute_process(COMMAND ${EMULATOR} ${EXPLAIN} ${CASE}/testdata.txt ${CASE}/submission.txt
                          ${options} OUTPUT_FILE ${explained})
  read_bytes(${explained} got)
  # The JSON report holds the report file's bytes, which end their lines
  # with a carriage return in text mode: "\r\n" in the JSON, "\n" in the case.
  if(TEXT_MODE AND extension STREQUAL "json")
    string(REPLACE "5c;72;5c;6e;" "5c;6e;" got "${got}")
  endif()
  read_bytes(${CASE}/${want} want_bytes)
  if(NOT got STREQUAL want_bytes)
    file(READ ${explained} got_text)
    message(FATAL_ERROR "${explained} differs from ${want}\n--- got\n${got_text}")
  endif()
endforeach()
