# Renders the sample drawing again with zun-render and compares every
# picture byte for byte with the one kept beside this script. Refactoring
# that must not change a pixel is held to this: a changed, missing or extra
# picture fails, naming the file.
#
#   cmake -DPROG=<zun-render> -DWORK=<scratch folder> -P check_golden.cmake
#
# To take new pictures on purpose (a change meant to alter the drawing), run
# zun-render with the size of each folder (sample: the default 800x600,
# sample_1600x1200: -s 1600x1200) into that folder and commit the result.
cmake_minimum_required(VERSION 3.25)
if(NOT PROG OR NOT WORK)
  message(FATAL_ERROR "usage: cmake -DPROG=<zun-render> -DWORK=<dir> -P check_golden.cmake")
endif()
get_filename_component(golden_dir ${CMAKE_CURRENT_LIST_FILE} DIRECTORY)

set(failures "")
foreach(set sample sample_1600x1200)
  set(args "")
  if(set MATCHES "_([0-9]+x[0-9]+)$")
    set(args -s ${CMAKE_MATCH_1})
  endif()
  file(REMOVE_RECURSE ${WORK}/${set})
  file(MAKE_DIRECTORY ${WORK}/${set})
  execute_process(COMMAND ${PROG} ${args} -o ${WORK}/${set} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "zun-render ${args}: exit ${rc}\n${out}\n${err}")
  endif()
  file(GLOB expected RELATIVE ${golden_dir}/${set} ${golden_dir}/${set}/*.png)
  file(GLOB written RELATIVE ${WORK}/${set} ${WORK}/${set}/*.png)
  list(LENGTH expected expected_count)
  if(expected_count EQUAL 0)
    message(FATAL_ERROR "no stored pictures in ${golden_dir}/${set}")
  endif()
  foreach(name IN LISTS expected)
    if(NOT EXISTS ${WORK}/${set}/${name})
      string(APPEND failures "  ${set}/${name}: not written\n")
      continue()
    endif()
    file(SHA256 ${golden_dir}/${set}/${name} want)
    file(SHA256 ${WORK}/${set}/${name} got)
    if(NOT want STREQUAL got)
      string(APPEND failures "  ${set}/${name}: differs (new picture in ${WORK}/${set})\n")
    endif()
  endforeach()
  foreach(name IN LISTS written)
    if(NOT name IN_LIST expected)
      string(APPEND failures "  ${set}/${name}: written but not stored\n")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "pictures of the sample drawing changed:\n${failures}")
endif()
message(STATUS "every picture of the sample drawing is byte-identical to the stored one")
