# Warnings are errors for our own code unless KV_WERROR is off; third-party
# headers come in as system headers.
function(kv_project_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(KV_EXTRA_WARNINGS)
    target_compile_options(${target} PRIVATE -Wshadow -Wconversion -Wsign-conversion
      $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast -Wnon-virtual-dtor>)
  endif()
  if(KV_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  kv_layer_includes(${target})
endfunction()

# Includes are written from the top of the tree ("core/job_state.h"), but a
# target does not see the tree: each folder's targets see only their own
# folder, through a directory in the build tree that holds one link to it, and
# the folders of the targets they link. So a header of a layer a target does
# not link is not found, and an include that goes up a layer fails to build.
# The tests stand outside the layers and see the whole tree. The restorers see
# their own folder and the one program header they share with the program.
function(kv_layer_includes target)
  get_target_property(folder ${target} SOURCE_DIR)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${folder})
  string(REGEX REPLACE "/.*" "" layer "${folder}")
  if(layer STREQUAL "tests")
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    return()
  endif()
  set(view ${PROJECT_BINARY_DIR}/layers/${layer})
  file(MAKE_DIRECTORY ${view})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${layer} ${view}/${layer} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${view})
endfunction()

if(KV_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(KV_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT KV_SANITIZE STREQUAL "")
  message(FATAL_ERROR "KV_SANITIZE must be empty, 'address' or 'thread'")
endif()

# One test executable per folder of tests; LABELS lets scripts/test pick groups;
# ENVIRONMENT holds NAME=VALUE settings for every test of the executable.
function(kv_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  kv_project_target(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} kv_test_support GTest::gtest_main)
  # One label per executable: a label list does not survive test discovery.
  list(LENGTH T_LABELS label_count)
  if(NOT label_count EQUAL 1)
    message(FATAL_ERROR
      "${name}: give exactly one label (core, engine, plan, threaded, large, cli, restorer, widget, bench)")
  endif()
  if(T_ENVIRONMENT)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS ${T_LABELS} ENVIRONMENT "${T_ENVIRONMENT}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${T_LABELS})
  endif()
  if("threaded" IN_LIST T_LABELS)
    set_property(GLOBAL APPEND PROPERTY KV_THREADED_TEST_TARGETS ${name})
  endif()
endfunction()
