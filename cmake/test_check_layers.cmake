# A test of the layer check: on a copy of the tree it passes; with bad
# includes planted in the copy it fails and names each of them, and no other.
#   cmake -DZV_ROOT=<source tree> -DWORK=<scratch folder> -P cmake/test_check_layers.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT ZV_ROOT OR NOT WORK)
  message(FATAL_ERROR "ZV_ROOT names the source tree, WORK a scratch folder")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
foreach(folder IN LISTS ZV_LAYER_FOLDERS)
  file(COPY ${ZV_ROOT}/${folder} DESTINATION ${WORK} FILES_MATCHING PATTERN "*.h" PATTERN "*.cpp")
endforeach()

function(run_check result output)
  execute_process(COMMAND ${CMAKE_COMMAND} -DZV_ROOT=${WORK} -P ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${result} ${code} PARENT_SCOPE)
  set(${output} "${out}${err}" PARENT_SCOPE)
endfunction()

run_check(code out)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "the unchanged copy fails the check:\n${out}")
endif()

# Upward, sideways within a row, into tests/; then one include downward,
# which is allowed.
file(APPEND ${WORK}/queries/rank_search.cpp "#include \"app/main_window.h\"\n")
file(APPEND ${WORK}/readers/rank_page.cpp "#include \"view/qt_text.h\"\n")
file(APPEND ${WORK}/store/schema.cpp "  #  include \"tests/support/temp_dir.h\"\n")
file(APPEND ${WORK}/charts/line_chart.cpp "#include \"store/store.h\"\n")

run_check(code out)
if(code EQUAL 0)
  message(FATAL_ERROR "the check passes a copy with bad includes:\n${out}")
endif()
foreach(expected "queries/rank_search.cpp: includes \"app/main_window.h\""
                 "readers/rank_page.cpp: includes \"view/qt_text.h\""
                 "store/schema.cpp: includes \"tests/support/temp_dir.h\"" "3 include(s) against the layers")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the check does not report '${expected}':\n${out}")
  endif()
endforeach()
string(FIND "${out}" "charts/line_chart.cpp" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "the check reports an include downward:\n${out}")
endif()
file(REMOVE_RECURSE ${WORK})
message("the check finds every planted include")
