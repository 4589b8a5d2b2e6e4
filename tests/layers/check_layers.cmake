# Holds the source folders to the layer order: a folder includes only its
# own headers and those of folders below it, and the pure folders include
# no Qt header. Fails naming every include that breaks the order.
#
#   cmake -DSOURCE_DIR=<repository> -P check_layers.cmake
#
# The order, lowest first. Folders of one rank do not include each other.
# A new source folder must be given its place here, or this check fails.
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<repository> -P check_layers.cmake")
endif()

set(zun_layers
  "contracts/base:0:pure"
  "contracts/data:1:pure"
  "render/core:2:pure"
  "ui/core:2:pure"
  "gdx:3:pure"
  "render/paint:4:pure"
  "images:5:pure"
  "images/slide:5:pure"
  "render/emf:5:pure"
  "contracts/os:6:qt"
  "render/qt:6:qt"
  "images/qt:7:qt"
  "ui:7:qt"
  "dialogs:8:qt"
  "host:9:qt"
  "host/desktop:10:qt"
  "host/zun_render:10:qt"
  "host/zun_msg:10:qt"
  "module:11:qt"
  "tools:11:qt"
  "tools/zun_glyphs:11:qt"
  "tools/zun_dlg_shot:11:qt"
  "tools/zun_repeat_drawing:11:qt")

# Folders that hold code but no layer of the module.
set(zun_not_layers bench cmake docs fuzz res scripts tests build)

set(known_folders "")
foreach(entry IN LISTS zun_layers)
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 folder)
  list(GET parts 1 rank)
  list(GET parts 2 kind)
  set(rank_${folder} ${rank})
  set(kind_${folder} ${kind})
  list(APPEND known_folders ${folder})
endforeach()

set(violations "")

# Every folder holding C++ sources must have its place.
file(GLOB_RECURSE all_sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
foreach(source IN LISTS all_sources)
  get_filename_component(folder ${source} DIRECTORY)
  string(REGEX MATCH "^[^/]+" top "${folder}")
  if(top IN_LIST zun_not_layers OR folder STREQUAL "")
    continue()
  endif()
  if(NOT folder IN_LIST known_folders)
    string(APPEND violations "  ${source}: the folder ${folder} has no place in the layer order\n")
  endif()
endforeach()

foreach(folder IN LISTS known_folders)
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      if(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z0-9_/]*)")
        if(kind_${folder} STREQUAL "pure")
          string(APPEND violations "  ${shown}: the pure layer ${folder} includes the Qt header <${CMAKE_MATCH_1}>\n")
        endif()
        continue()
      endif()
      if(NOT line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)/[^/\"]+\"")
        continue()  # a header of the same folder, or a system header
      endif()
      set(target_folder ${CMAKE_MATCH_1})
      if(target_folder STREQUAL folder)
        continue()
      endif()
      if(NOT DEFINED rank_${target_folder})
        string(APPEND violations "  ${shown}: includes from ${target_folder}, which is no layer\n")
      elseif(NOT rank_${target_folder} LESS rank_${folder})
        string(APPEND violations
               "  ${shown}: ${folder} (layer ${rank_${folder}}) includes from ${target_folder} (layer ${rank_${target_folder}})\n")
      elseif(kind_${folder} STREQUAL "pure" AND NOT kind_${target_folder} STREQUAL "pure")
        string(APPEND violations "  ${shown}: the pure layer ${folder} includes from the Qt layer ${target_folder}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "includes against the layer order:\n${violations}")
endif()
message(STATUS "every include follows the layer order")
