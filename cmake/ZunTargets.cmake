# Common compile settings for every target of the module.
add_library(zun_options INTERFACE)
target_compile_options(zun_options INTERFACE -Wall -Wextra -Wpedantic)
target_include_directories(zun_options INTERFACE ${PROJECT_SOURCE_DIR})

if(ZUN_SANITIZE)
  target_compile_options(zun_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zun_options INTERFACE -fsanitize=address,undefined)
endif()

# zun_add_suite(NAME DIR LIBS...): one GoogleTest executable per folder of tests/.
function(zun_add_suite name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main zun_options)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
