# An independent reader must take our metafiles: zun-render writes every part
# of the sample drawing as a metafile with its count of drawing records, an
# outside converter turns each into SVG, and the SVG must hold one drawn
# element per drawing record (it draws every line, polyline, polygon,
# rectangle, ellipse and bitmap record as one element, a record of many
# polylines as one path).
# PROG: zun-render, CONVERT: emf2svg-conv, WORK: a scratch folder.
if(NOT CONVERT OR NOT EXISTS "${CONVERT}")
  message(FATAL_ERROR "emf2svg-conv not found: install the emf2svg package (scripts/deps.sh)")
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

execute_process(COMMAND ${PROG} -o ${WORK} -s 640x480 -f emf --records
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "zun-render -f emf: exit ${rc}\n${out}\n${err}")
endif()
string(REGEX MATCHALL "[^\n]+\\.emf \\([0-9]+ drawing records\\)" lines "${out}")
list(LENGTH lines files)
if(files LESS 10)
  message(FATAL_ERROR "expected a metafile per part of the sample drawing, got ${files}:\n${out}")
endif()

set(total 0)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^(.+\\.emf) \\(([0-9]+) drawing records\\)$" "\\1;\\2" parts "${line}")
  list(GET parts 0 emf)
  list(GET parts 1 expected)
  string(REGEX REPLACE "\\.emf$" ".svg" svg "${emf}")
  execute_process(COMMAND ${CONVERT} -i ${emf} -o ${svg} RESULT_VARIABLE rc OUTPUT_VARIABLE cout ERROR_VARIABLE cerr)
  if(NOT rc EQUAL 0 OR NOT EXISTS ${svg})
    message(FATAL_ERROR "${emf}: the converter failed (exit ${rc})\n${cout}\n${cerr}")
  endif()
  file(READ ${svg} text)
  if(NOT text MATCHES "<svg")
    message(FATAL_ERROR "${svg}: no SVG drawing")
  endif()
  # Drawn elements, less the outlines of clip paths, which draw nothing.
  string(REGEX MATCHALL "<(path|rect|ellipse|image|polyline|polygon|line|circle)[ />]" drawn "${text}")
  string(REGEX MATCHALL "<clipPath[^>]*><path" clips "${text}")
  list(LENGTH drawn count)
  list(LENGTH clips clipCount)
  math(EXPR count "${count} - ${clipCount}")
  if(expected LESS 1)
    message(FATAL_ERROR "${emf}: nothing drawn")
  endif()
  if(NOT count EQUAL expected)
    message(FATAL_ERROR "${emf}: ${expected} drawing records, but the converter drew ${count} elements")
  endif()
  math(EXPR total "${total} + ${expected}")
endforeach()
message(STATUS "${files} metafiles, ${total} drawing records, each drawn by the converter")
