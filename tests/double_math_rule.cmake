# The analysis computes in double. Its sources call the mathematical functions only through
# numeric/double_math.h, whose functions do not take a float: a direct std::cos of a float
# angle would be computed in float without a word. Fails on any direct call.
# Usage: cmake -DSRC=<src folder> -P double_math_rule.cmake
file(GLOB sources ${SRC}/solver/*.cpp ${SRC}/solver/*.h ${SRC}/bond/*.cpp ${SRC}/bond/*.h
     ${SRC}/run/*.cpp ${SRC}/run/*.h)
list(FILTER sources EXCLUDE REGEX "/double_math\\.h$")
set(pattern "(std::|[^a-z_:.])(cos|sin|tan|sqrt|exp|log|log10|pow|fabs|abs|atan|atan2|tanh|sinh|cosh|hypot|fmod|floor|ceil|round|trunc)f? *\\(|<cmath>|<math\\.h>")
set(found "")
foreach(source ${sources})
  file(STRINGS ${source} lines ENCODING UTF-8 REGEX "${pattern}")
  foreach(line ${lines})
    # Texts in quotes and comments may name a function.
    string(REGEX REPLACE "\"[^\"]*\"" "\"\"" code "${line}")
    string(REGEX REPLACE "//.*" "" code "${code}")
    if(code MATCHES "${pattern}")
      string(APPEND found "\n  ${source}: ${line}")
    endif()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "Mathematical functions called past numeric/double_math.h:${found}")
endif()
list(LENGTH sources count)
message(STATUS "${count} sources call mathematical functions only through dmath")
