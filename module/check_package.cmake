# Installs the module into a fresh prefix, then configures, builds and runs
# the example of docs/example against that prefix alone, as a caller outside
# this repository would. Variables: BUILD_DIR, WORK, EXAMPLE, GENERATOR, BUILD_TYPE.
file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)

function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

run_step("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component Zun)
foreach(file lib/cmake/Zun/ZunConfig.cmake lib/cmake/Zun/ZunConfigVersion.cmake include/zun/gdx/zun_gdx.h
             share/zun/data/zun.pat share/zun/samples/sample_drawing.json
             share/zun/help/Zun.qch share/zun/help/de/Zun.qch)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "the installation lacks ${file}")
  endif()
endforeach()
if(EXISTS ${prefix}/include/zun/gdx/zun_gdx_p.h)
  message(FATAL_ERROR "a private header was installed")
endif()

# Only the prefix is given: nothing of the source or build tree may be needed.
run_step("configure the example" ${CMAKE_COMMAND} -S ${EXAMPLE} -B ${WORK}/build -G ${GENERATOR}
         -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_PREFIX_PATH=${prefix})
run_step("build the example" ${CMAKE_COMMAND} --build ${WORK}/build)

# The example reports where the module found its hatch patterns: the
# installed copy, found through the library's own folder.
run_step("run the example" ${WORK}/build/zun-example ${WORK}/example.png)
file(REAL_PATH ${prefix} real_prefix)
if(NOT step_output MATCHES "patterns: ${real_prefix}/share/zun/data/zun.pat")
  message(FATAL_ERROR "the installed module did not use its installed data:\n${step_output}")
endif()
if(NOT EXISTS ${WORK}/example.png)
  message(FATAL_ERROR "the example wrote no picture")
endif()
file(SIZE ${WORK}/example.png png_size)
if(png_size LESS 500)
  message(FATAL_ERROR "the example's picture is nearly empty (${png_size} bytes)")
endif()
message(STATUS "installed, built and ran the example: ${step_output}")
