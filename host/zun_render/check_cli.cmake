# Runs zun-render as a user would and checks its files, lines and exit codes.
# PROG: the program, WORK: a scratch folder.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(expect_run expected_rc)
  execute_process(COMMAND ${PROG} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "zun-render ${ARGN}: exit ${rc}, expected ${expected_rc}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# The sample drawing: one picture per part, one line per picture.
expect_run(0 -o ${WORK}/pictures -s 320x200)
file(GLOB pictures ${WORK}/pictures/*.png)
list(LENGTH pictures count)
string(REGEX MATCHALL "\\.png\n" lines "${out}")
list(LENGTH lines printed)
if(count LESS 10 OR NOT printed EQUAL count)
  message(FATAL_ERROR "expected a picture and a line per part, got ${count} pictures and ${printed} lines:\n${out}")
endif()
file(READ ${WORK}/pictures/Column_base_plate_300x400x25.png head LIMIT 8 HEX)
if(NOT head STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "not a PNG file: ${head}")
endif()

# One part by handle.
expect_run(0 -o ${WORK}/one --part D4)
file(GLOB one ${WORK}/one/*.png)
list(LENGTH one count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "--part D4 wrote ${count} pictures")
endif()

# Bad arguments: exit 2 with a message.
expect_run(2 -s 12)
if(NOT err MATCHES "bad picture size '12'")
  message(FATAL_ERROR "unclear message for a bad size: ${err}")
endif()
expect_run(2 --colour red)

# Unreadable and malformed drawings: exit 1 naming the file and the reason.
expect_run(1 ${WORK}/missing.json)
if(NOT err MATCHES "missing.json: cannot read the file")
  message(FATAL_ERROR "unclear message for a missing file: ${err}")
endif()
file(WRITE ${WORK}/broken.json "{\"zun\": \"drawing\", \"parts\": [{\"handle\": \"A\"}]}")
expect_run(1 ${WORK}/broken.json)
if(NOT err MATCHES "broken.json:1:30: expected a non-empty text \"type\"")
  message(FATAL_ERROR "unclear message for a malformed file: ${err}")
endif()
