cmake_minimum_required(VERSION 3.25)
# Runs the layer check on small generated source trees: a clean tree passes,
# and each tree with one wrong-way include fails, naming that file.
# Run with -DCHECK_SCRIPT=<check_layers.cmake> -DWORK_DIR=<scratch folder>.

# Each case: the file that includes, its include line, and PASS or FAIL.
set(cases
  "ui/main/window.cpp|#include \"link/port_most.h\"|FAIL"
  "ui/main/window.h|#include <link/port_most.h>|FAIL"
  "ui/sync/window.cpp|  #  include \"link/sys_info.h\"|FAIL"
  "app/main.cpp|#include \"link/port_discovery.h\"|FAIL"
  "cli/info_command.cpp|#include \"link/sys_info.h\"|FAIL"
  "ui/main/window.cpp|#include \"sim/gateway.h\"|FAIL"
  "model/record.h|#include \"ui/main/form1.h\"|FAIL"
  "actions/action.cpp|#include \"app/main.h\"|FAIL"
  "sync/transfer.cpp|#include <QString>|FAIL"
  "ui/main/window.cpp|#include \"actions/device_link.h\"|PASS"
  "ui/main/window.cpp|#include <QWidget>|PASS"
  "app/main.cpp|#include \"sim/gateway.h\"|PASS"
  "cli/simulate_command.cpp|#include \"sim/pacing.h\"|PASS"
  "actions/action.cpp|#include \"link/port_most.h\"|PASS"
)

# Every layer with one file that includes only itself.
function(write_clean_tree root)
  file(REMOVE_RECURSE "${root}")
  foreach(layer link model sync store calllog actions sim cli ui app)
    file(WRITE "${root}/${layer}/own.h" "#pragma once\n#include \"${layer}/other.h\"\n")
  endforeach()
endfunction()

set(failures "")
set(number 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 file)
  list(GET fields 1 include)
  list(GET fields 2 expected)
  math(EXPR number "${number} + 1")
  set(root "${WORK_DIR}/case${number}")
  write_clean_tree("${root}")
  file(WRITE "${root}/${file}" "${include}\n")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${root} -P ${CHECK_SCRIPT}
    RESULT_VARIABLE result
    ERROR_VARIABLE output)
  if(expected STREQUAL "PASS" AND NOT result EQUAL 0)
    list(APPEND failures "${file} with ${include} was refused:\n${output}")
  elseif(expected STREQUAL "FAIL" AND result EQUAL 0)
    list(APPEND failures "${file} with ${include} passed")
  elseif(expected STREQUAL "FAIL" AND NOT output MATCHES "${file}")
    list(APPEND failures "${file} with ${include} failed without naming the file:\n${output}")
  endif()
endforeach()

# The clean tree itself passes.
write_clean_tree("${WORK_DIR}/clean")
execute_process(
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR}/clean -P ${CHECK_SCRIPT}
  RESULT_VARIABLE result
  ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  list(APPEND failures "the clean tree was refused:\n${output}")
endif()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
