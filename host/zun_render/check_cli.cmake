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

# Several formats: a file per part and format, a line per file, each file
# of its kind. Formats are case-blind and counted once.
expect_run(0 -o ${WORK}/formats -s 240x160 --part D4 -f png,SVG,pdf,emf,png)
file(GLOB formats ${WORK}/formats/*)
list(LENGTH formats count)
string(REGEX MATCHALL "\\.(png|svg|pdf|emf)\n" lines "${out}")
list(LENGTH lines printed)
if(NOT count EQUAL 4 OR NOT printed EQUAL 4)
  message(FATAL_ERROR "-f png,SVG,pdf,emf,png: ${count} files and ${printed} lines, expected 4 each:\n${out}")
endif()
foreach(file IN LISTS formats)
  get_filename_component(ext ${file} LAST_EXT)
  file(READ ${file} head LIMIT 64 HEX)
  string(SUBSTRING "${head}" 0 8 magic)
  if(ext STREQUAL ".png" AND NOT magic STREQUAL "89504e47")
    message(FATAL_ERROR "${file}: not a PNG file")
  elseif(ext STREQUAL ".pdf" AND NOT magic STREQUAL "25504446")  # %PDF
    message(FATAL_ERROR "${file}: not a PDF file")
  elseif(ext STREQUAL ".emf")
    string(SUBSTRING "${head}" 80 8 signature)
    if(NOT magic STREQUAL "01000000" OR NOT signature STREQUAL "20454d46")  # a header record, " EMF"
      message(FATAL_ERROR "${file}: not an enhanced metafile: ${head}")
    endif()
  elseif(ext STREQUAL ".svg")
    file(READ ${file} text)
    if(NOT text MATCHES "<svg[^>]*viewBox=\"0 0 240 160\"")
      message(FATAL_ERROR "${file}: not an SVG drawing of 240 x 160")
    endif()
  endif()
endforeach()

# Metafiles with their drawing record counts.
expect_run(0 -o ${WORK}/records --part D4 -f emf --records)
if(NOT out MATCHES "\\.emf \\([1-9][0-9]* drawing records\\)\n")
  message(FATAL_ERROR "--records gave no count: ${out}")
endif()

# Bad arguments: exit 2 with a message.
expect_run(2 -f png,gif)
if(NOT err MATCHES "bad format 'gif'")
  message(FATAL_ERROR "unclear message for a bad format: ${err}")
endif()
expect_run(2 -f "")
expect_run(0 --help)
if(NOT out MATCHES "-f FORMATS")
  message(FATAL_ERROR "--help does not tell of -f")
endif()
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

# ---- pictures and slides ------------------------------------------------------

# write_bytes(FILE HEX...): writes the bytes through printf's octal escapes,
# as CMake strings cannot hold a NUL byte.
function(write_bytes path)
  set(format "")
  foreach(byte IN LISTS ARGN)
    math(EXPR value "0x${byte}")
    math(EXPR d2 "${value} / 64")
    math(EXPR d1 "(${value} / 8) % 8")
    math(EXPR d0 "${value} % 8")
    string(APPEND format "\\${d2}${d1}${d0}")
  endforeach()
  execute_process(COMMAND printf "${format}" OUTPUT_FILE ${path} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot write ${path}")
  endif()
endfunction()

# expect_png(FILE W H): a PNG picture of that size.
function(expect_png path width height)
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "${path} was not written")
  endif()
  file(READ ${path} head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 0 16 magic)
  string(SUBSTRING "${head}" 32 16 size)
  string(SUBSTRING "${size}" 0 8 hw)
  string(SUBSTRING "${size}" 8 8 hh)
  math(EXPR w "0x${hw}")
  math(EXPR h "0x${hh}")
  if(NOT magic STREQUAL "89504e470d0a1a0a" OR NOT w EQUAL width OR NOT h EQUAL height)
    message(FATAL_ERROR "${path}: expected a ${width} x ${height} PNG picture, got ${head}")
  endif()
endfunction()

# A picture: an SVG drawing written as PNG at the size asked for.
file(WRITE ${WORK}/inputs/plan.svg
     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"20\"><rect width=\"40\" height=\"20\" fill=\"red\"/></svg>")
expect_run(0 -o ${WORK}/pictures_out -s 64x48 ${WORK}/inputs/plan.svg)
expect_png(${WORK}/pictures_out/plan.png 64 48)
if(NOT out MATCHES "plan\\.png\n$")
  message(FATAL_ERROR "no line for the picture: ${out}")
endif()
expect_run(2 -o ${WORK}/pictures_out -f svg ${WORK}/inputs/plan.svg)
if(NOT err MATCHES "pictures are written as png only")
  message(FATAL_ERROR "unclear message for a picture in another format: ${err}")
endif()
file(WRITE ${WORK}/inputs/notes.png "not a picture")
expect_run(1 -o ${WORK}/pictures_out ${WORK}/inputs/notes.png)
if(NOT err MATCHES "notes\\.png: .+")
  message(FATAL_ERROR "unclear message for a file that is no picture: ${err}")
endif()
expect_run(1 -o ${WORK}/pictures_out ${WORK}/inputs/absent.jpg)
if(NOT err MATCHES "absent\\.jpg: cannot read the file")
  message(FATAL_ERROR "unclear message for a missing picture: ${err}")
endif()

# Slides of our own: 100 x 50 units, level 2, little-endian.
set(slide_header 41 75 74 6F 43 41 44 20 53 6C 69 64 65 0D 0A 1A 00  # identification
                 56 02 64 00 32 00 00 2D 31 01 00 00 34 12)            # type, level, size, aspect, fill, test
# A green diagonal, then a red square filled from (10, 10) to (40, 40).
set(slide_square ${slide_header}
                 03 FF 00 00 00 00 64 00 32 00
                 01 FF 00 FD 04 00 00 00
                 00 FD 0A 00 0A 00  00 FD 28 00 0A 00  00 FD 28 00 28 00  00 FD 0A 00 28 00
                 00 FD 0A 00 F6 FF  # ends the polygon (y < 0)
                 00 FC)
set(slide_line ${slide_header} 00 00 00 00 64 00 32 00 00 FC)  # 41 bytes
list(LENGTH slide_square square_length)
if(NOT square_length EQUAL 81)
  message(FATAL_ERROR "the test slide is ${square_length} bytes, the library below expects 81")
endif()
write_bytes(${WORK}/inputs/square.sld ${slide_square})
# A library: 32-byte header, entries SQUARE at 140 and LINE at 221, an empty entry.
string(REPEAT "00;" 26 pad26)
string(REPEAT "00;" 28 pad28)
string(REPEAT "00;" 36 empty_entry)
set(library 41 75 74 6F 43 41 44 20 53 6C 69 64 65 20 4C 69 62 72 61 72 79 20 31 2E 30 0D 0A 1A 00 00 00 00
            53 51 55 41 52 45 ${pad26} 8C 00 00 00
            4C 49 4E 45 ${pad28} DD 00 00 00
            ${empty_entry} ${slide_square} ${slide_line})
write_bytes(${WORK}/inputs/shapes.slb ${library})

expect_run(0 -o ${WORK}/slides_out -s 200x100 ${WORK}/inputs/square.sld)
expect_png(${WORK}/slides_out/square.png 200 100)
expect_run(0 -o ${WORK}/slides_out -s 120x90 -f png,emf ${WORK}/inputs/shapes.slb)
foreach(name SQUARE LINE)
  expect_png(${WORK}/slides_out/${name}.png 120 90)
  file(READ ${WORK}/slides_out/${name}.emf head LIMIT 44 HEX)
  string(SUBSTRING "${head}" 80 8 signature)
  if(NOT signature STREQUAL "20454d46")
    message(FATAL_ERROR "${name}.emf: not an enhanced metafile: ${head}")
  endif()
endforeach()
string(REGEX MATCHALL "\\.(png|emf)\n" lines "${out}")
list(LENGTH lines printed)
if(NOT printed EQUAL 4)
  message(FATAL_ERROR "a whole library in two formats: expected 4 lines, got\n${out}")
endif()
expect_run(0 -o ${WORK}/slides_named -f svg ${WORK}/inputs/shapes.slb:line)
file(GLOB named ${WORK}/slides_named/*)
if(NOT named MATCHES "/line\\.svg$")
  message(FATAL_ERROR "shapes.slb:line wrote ${named}")
endif()
file(READ ${WORK}/slides_named/line.svg text)
if(NOT text MATCHES "<svg")
  message(FATAL_ERROR "line.svg is no SVG drawing")
endif()
expect_run(1 -o ${WORK}/slides_named ${WORK}/inputs/shapes.slb:CIRCLE)
if(NOT err MATCHES "no slide named 'CIRCLE' in the library")
  message(FATAL_ERROR "unclear message for a slide not in the library: ${err}")
endif()
expect_run(1 -o ${WORK}/slides_named ${WORK}/inputs/plan.sld)
if(NOT err MATCHES "plan\\.sld: cannot read the file")
  message(FATAL_ERROR "unclear message for a missing slide: ${err}")
endif()

# ---- wrong data, lost output and hidden failures --------------------------------

# expect_message(RC REGEX ARGS...): exits with RC and says REGEX on standard error.
function(expect_message expected_rc pattern)
  expect_run(${expected_rc} ${ARGN})
  if(NOT err MATCHES "${pattern}")
    message(FATAL_ERROR "zun-render ${ARGN}: expected a message matching '${pattern}', got:\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# count_lines(VAR TEXT REGEX): how many lines of TEXT match REGEX.
function(count_lines var text pattern)
  string(REGEX MATCHALL "[^\n]+" lines "${text}")
  set(n 0)
  foreach(line IN LISTS lines)
    if(line MATCHES "${pattern}")
      math(EXPR n "${n} + 1")
    endif()
  endforeach()
  set(${var} ${n} PARENT_SCOPE)
endfunction()

set(D ${WORK}/data)
set(wall_data "\"data\": {\"VL\": {\"$\": \"vl\", \"pts\": [[0, 0], [3000, 0]]}, \"SN\": {\"#1\": {\"THICK\": 240.0}}}")
file(WRITE ${D}/newer.json "{\"zun\": \"drawing\", \"version\": 99, \"parts\": [{\"handle\": \"W\", \"type\": \"WALL\", ${wall_data}}]}")
file(WRITE ${D}/text_version.json "{\"zun\": \"drawing\", \"version\": \"1\", \"parts\": [{\"handle\": \"W\", \"type\": \"WALL\", ${wall_data}}]}")
file(WRITE ${D}/no_parts.json "{\"zun\": \"drawing\", \"version\": 1}")
file(WRITE ${D}/empty_parts.json "{\"zun\": \"drawing\", \"version\": 1, \"parts\": []}")
file(WRITE ${D}/a_file "not a folder")
file(WRITE ${D}/empty.sld "")
file(WRITE ${D}/empty.slb "")
file(WRITE ${D}/notes.sld "These are notes, no slide at all: nothing to draw here.")
write_bytes(${D}/blank.sld ${slide_header} 00 FC)  # a header and the end record
file(MAKE_DIRECTORY ${D}/folder.sld)

# Refused inputs and arguments: exit status, and a message naming the cause.
expect_message(1 "newer\\.json:.*drawing format version 99 is newer than this program reads \\(up to 1\\)" ${D}/newer.json)
expect_message(1 "text_version\\.json:.*expected a format version number" ${D}/text_version.json)
expect_message(1 "no_parts\\.json: the drawing has no parts to draw" ${D}/no_parts.json)
expect_message(1 "empty_parts\\.json: the drawing has no parts to draw" ${D}/empty_parts.json)
expect_message(1 "data: is a directory, not a file" ${D})
expect_message(1 "folder\\.sld: is a directory, not a file" ${D}/folder.sld)
expect_message(2 "bad picture size '16385x100' \\(at most 16384x16384\\)" -s 16385x100)
expect_message(2 "bad picture size '100x20000' \\(at most 16384x16384\\)" -s 100x20000)
expect_message(1 "a_file/pictures: cannot make the folder: Not a directory" -o ${D}/a_file/pictures --part D4)
expect_message(1 "a_file: cannot (make|use it as) the folder: .+" -o ${D}/a_file --part D4)
# Empty arguments, passed as they are: a list would drop them.
execute_process(COMMAND ${PROG} -o ${WORK}/empty_arg "" RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
if(NOT rc EQUAL 2 OR NOT err MATCHES "an empty argument where a file was expected")
  message(FATAL_ERROR "an empty drawing argument: exit ${rc}\n${err}")
endif()
execute_process(COMMAND ${PROG} -o "" --part D4 RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
if(NOT rc EQUAL 2 OR NOT err MATCHES "option -o needs a value, not an empty argument")
  message(FATAL_ERROR "an empty -o: exit ${rc}\n${err}")
endif()
execute_process(COMMAND ${PROG} --part "" RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
if(NOT rc EQUAL 2 OR NOT err MATCHES "option --part needs a value, not an empty argument")
  message(FATAL_ERROR "an empty --part: exit ${rc}\n${err}")
endif()
expect_message(1 "empty\\.sld: the slide is empty \\(0 bytes\\)" -o ${WORK}/slides_bad ${D}/empty.sld)
expect_message(1 "notes\\.sld: not a slide: no slide header" -o ${WORK}/slides_bad ${D}/notes.sld)
expect_message(1 "blank\\.sld: the slide has nothing to draw" -o ${WORK}/slides_bad ${D}/blank.sld)
expect_message(1 "empty\\.slb: the slide library is empty \\(0 bytes\\)" -o ${WORK}/slides_bad ${D}/empty.slb)
file(GLOB nothing ${WORK}/slides_bad/* ${WORK}/empty_arg/*)
if(nothing)
  message(FATAL_ERROR "refused inputs wrote ${nothing}")
endif()

# A value of the wrong kind: a warning naming the file, the part and the key;
# the part is drawn with the default all the same.
file(WRITE ${D}/wrong_kind.json "{\"zun\": \"drawing\", \"version\": 1, \"parts\": [{\"handle\": \"W1\", \"type\": \"WALL\", \"name\": \"Wall\", \"data\": {\"VL\": {\"$\": \"vl\", \"pts\": [[0, 0], [3000, 0]]}, \"SN\": {\"#1\": {\"THICK\": \"two hundred\"}}}}]}")
expect_message(0 "warning: .*wrong_kind\\.json: part W1 \\(Wall\\): key SN.1.THICK is not a number; drawn with its default"
               -o ${WORK}/wrong_kind ${D}/wrong_kind.json)
expect_png(${WORK}/wrong_kind/Wall.png 800 600)

# Names that give one file name get numbered file names, every path printed once.
file(WRITE ${D}/same_names.json "{\"zun\": \"drawing\", \"version\": 1, \"parts\": [
  {\"handle\": \"W1\", \"type\": \"WALL\", \"name\": \"Wall A\", ${wall_data}},
  {\"handle\": \"W2\", \"type\": \"WALL\", \"name\": \"Wall A\", ${wall_data}},
  {\"handle\": \"W3\", \"type\": \"WALL\", \"name\": \"Wall/A\", ${wall_data}},
  {\"handle\": \"W4\", \"type\": \"WALL\", \"name\": \"wall_a\", ${wall_data}}]}")
expect_run(0 -o ${WORK}/same -s 64x48 -f png,svg ${D}/same_names.json)
foreach(name Wall_A Wall_A_2 Wall_A_3 wall_a_4)
  expect_png(${WORK}/same/${name}.png 64 48)
  if(NOT EXISTS ${WORK}/same/${name}.svg)
    message(FATAL_ERROR "${name}.svg was not written:\n${out}")
  endif()
  count_lines(printed "${out}" "/${name}\\.png$")
  if(NOT printed EQUAL 1)
    message(FATAL_ERROR "${name}.png printed ${printed} times:\n${out}")
  endif()
endforeach()
file(GLOB same ${WORK}/same/*)
list(LENGTH same count)
count_lines(printed "${out}" "\\.(png|svg)$")
if(NOT count EQUAL 8 OR NOT printed EQUAL 8)
  message(FATAL_ERROR "4 parts in 2 formats: ${count} files and ${printed} lines, expected 8 each:\n${out}")
endif()

# A picture that cannot be written: the system's reason, the others written, exit 1.
file(MAKE_DIRECTORY ${WORK}/blocked/Wall_A_2.png)
expect_message(1 "Wall_A_2\\.png: cannot write the picture: .+" -o ${WORK}/blocked -s 64x48 ${D}/same_names.json)
foreach(name Wall_A Wall_A_3 wall_a_4)
  expect_png(${WORK}/blocked/${name}.png 64 48)
endforeach()

# A picture written next to the png it came from keeps that png.
file(MAKE_DIRECTORY ${WORK}/pics)
file(COPY ${WORK}/pictures_out/plan.png DESTINATION ${WORK}/pics)
file(READ ${WORK}/pics/plan.png original HEX)
expect_run(0 -o ${WORK}/pics -s 32x24 ${WORK}/pics/plan.png)
expect_png(${WORK}/pics/plan_2.png 32 24)
file(READ ${WORK}/pics/plan.png kept HEX)
if(NOT kept STREQUAL original)
  message(FATAL_ERROR "the picture overwrote the png it was made from")
endif()

# Parts that cannot be drawn: the others are written, the run exits 1, and a
# line names each part with its reason.
file(WRITE ${D}/some_fail.json "{\"zun\": \"drawing\", \"version\": 1, \"parts\": [
  {\"handle\": \"R1\", \"type\": \"ROOF\", \"name\": \"Roof\", \"data\": {}},
  {\"handle\": \"W1\", \"type\": \"WALL\", \"name\": \"Good wall\", ${wall_data}},
  {\"handle\": \"W2\", \"type\": \"WALL\", \"name\": \"Wall without axis\", \"data\": {}}]}")
expect_message(1 "part R1 \\(Roof\\) could not be drawn: no generator draws parts of type 'ROOF'"
               -o ${WORK}/some_fail ${D}/some_fail.json)
if(NOT err MATCHES "part W2 \\(Wall without axis\\) could not be drawn: the WALL generator found its data incomplete")
  message(FATAL_ERROR "no reason for the wall without an axis:\n${err}")
endif()
expect_png(${WORK}/some_fail/Good_wall.png 800 600)
file(GLOB some ${WORK}/some_fail/*)
list(LENGTH some count)
if(NOT count EQUAL 1 OR NOT out MATCHES "Good_wall\\.png\n")
  message(FATAL_ERROR "expected the good wall alone: ${some}\n${out}")
endif()

# Library slides that cannot be drawn: the others are written, exit 1, a line each.
set(library_bad 41 75 74 6F 43 41 44 20 53 6C 69 64 65 20 4C 69 62 72 61 72 79 20 31 2E 30 0D 0A 1A 00 00 00 00
                53 51 55 41 52 45 ${pad26} B0 00 00 00
                4C 49 4E 45 ${pad28} 01 01 00 00
                42 41 44 ${pad28} 00 2A 01 00 00
                ${empty_entry} ${slide_square} ${slide_line}
                6E 6F 20 73 6C 69 64 65 20 68 65 72 65 20 61 74 20 61 6C 6C 2C 20 6A 75 73 74 20 74 65 78 74)
write_bytes(${D}/mixed.slb ${library_bad})
expect_message(1 "mixed\\.slb:BAD: not a slide" -o ${WORK}/mixed ${D}/mixed.slb)
expect_png(${WORK}/mixed/SQUARE.png 800 600)
expect_png(${WORK}/mixed/LINE.png 800 600)
count_lines(printed "${out}" "\\.png$")
if(NOT printed EQUAL 2)
  message(FATAL_ERROR "a library with a bad slide: expected 2 pictures, got\n${out}")
endif()
