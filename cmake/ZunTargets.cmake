# Common compile settings for every target of the module.
add_library(zun_options INTERFACE)
target_compile_options(zun_options INTERFACE -Wall -Wextra -Wpedantic)
target_include_directories(zun_options INTERFACE ${PROJECT_SOURCE_DIR})

if(ZUN_SANITIZE)
  target_compile_options(zun_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zun_options INTERFACE -fsanitize=address,undefined)
endif()

# zun_add_pure_library(NAME LIBS...): a static library of the *.cpp files of
# the current folder; none is made while the folder has no sources yet.
function(zun_add_pure_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${ARGN} zun_options)
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()

# zun_add_suite(NAME DIR LIBS...): one GoogleTest executable per folder of tests/.
function(zun_add_suite name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main zun_options)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# zun_add_benchmarks(LIBS...): one Google Benchmark program per bench_*.cpp.
function(zun_add_benchmarks)
  file(GLOB programs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/bench_*.cpp)
  foreach(source IN LISTS programs)
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ${ARGN} benchmark::benchmark zun_options)
  endforeach()
endfunction()
