# The analysis computes in double. The parameters are float fields, and arithmetic on a float
# runs in float, so the run takes a double copy of each at set-up (solver/run_parameters.*),
# where the few quantities defined in single precision are formed too and kept as Single. Fails
# on a float, or on a reach into the fields, anywhere else in the solver and the bond analysis.
# Usage: cmake -DSRC=<src folder> -P single_precision_rule.cmake
file(GLOB sources ${SRC}/solver/*.cpp ${SRC}/solver/*.h ${SRC}/bond/*.cpp ${SRC}/bond/*.h
     ${SRC}/run/analysis_run.*)
set(found "")
foreach(source ${sources})
  get_filename_component(name ${source} NAME)
  file(STRINGS ${source} lines ENCODING UTF-8)
  foreach(line ${lines})
    # Texts in quotes and comments may say anything.
    string(REGEX REPLACE "\"[^\"]*\"" "\"\"" code "${line}")
    string(REGEX REPLACE "//.*" "" code "${code}")
    if(code MATCHES "(^|[^a-zA-Z_])float([^a-zA-Z_]|$)" AND
       NOT name MATCHES "^(run_parameters\\.(h|cpp)|double_math\\.h)$")
      string(APPEND found "\n  ${source}: a float: ${line}")
    endif()
    if(code MATCHES "PanelInput|ReinforcementLayer" AND
       NOT name MATCHES "^(run_parameters|analysis_run)\\.(h|cpp)$")
      string(APPEND found "\n  ${source}: the parameter fields: ${line}")
    endif()
    # The driver names the result file from the panel; its arithmetic reads the copies.
    if(name STREQUAL "analysis_run.cpp" AND code MATCHES "[^a-zA-Z_.]in\\.[a-zA-Z]" AND
       NOT code MATCHES "in\\.outputFileName")
      string(APPEND found "\n  ${source}: a parameter field read by the driver: ${line}")
    endif()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "Float arithmetic past solver/run_parameters:${found}")
endif()
list(LENGTH sources count)
message(STATUS "${count} sources compute with the double copies of the parameters only")
