# Turns the golden problems and their results (tests/data/golden, JSON Lines with
# hexadecimal floats) into C++ data for the firmware, which has no file system:
#   cmake -DPROBLEMS=... -DEXPECTED=... -DOUTPUT=... -P embed_golden.cmake
# Every double is written as the literal it is in the file (C++ reads
# hexadecimal floats exactly); "nan", "inf" and "-inf" become the builtins.

file(STRINGS ${PROBLEMS} problems)
file(STRINGS ${EXPECTED} expected)
list(LENGTH problems count)
list(LENGTH expected expected_count)
if(NOT count EQUAL expected_count OR count EQUAL 0)
  message(FATAL_ERROR "${count} problems but ${expected_count} results")
endif()

# The array held by "key":[...] in line, as C++ initialisers.
function(doubles_of line key out)
  if(NOT line MATCHES "\"${key}\":\\[([^]]*)\\]")
    message(FATAL_ERROR "no \"${key}\" array in: ${line}")
  endif()
  string(REPLACE "\"" "" values "${CMAKE_MATCH_1}")
  string(REPLACE "-inf" "-__builtin_inf()" values "${values}")
  string(REGEX REPLACE "(^|,)inf" "\\1__builtin_inf()" values "${values}")
  string(REPLACE "nan" "__builtin_nan(\"\")" values "${values}")
  set(${out} "${values}" PARENT_SCOPE)
endfunction()

# A value that is a string, a number or null: the literal, or "" for null.
function(scalar_of line key out)
  if(line MATCHES "\"${key}\":null")
    set(${out} "" PARENT_SCOPE)
  elseif(line MATCHES "\"${key}\":\"?([^\",}]*)\"?")
    set(value "${CMAKE_MATCH_1}")
    if(value STREQUAL "nan")
      set(value "__builtin_nan(\"\")")
    endif()
    set(${out} "${value}" PARENT_SCOPE)
  else()
    message(FATAL_ERROR "no \"${key}\" in: ${line}")
  endif()
endfunction()

set(helpers "")
set(cases "")
math(EXPR last "${count} - 1")
foreach(n RANGE ${last})
  list(GET problems ${n} problem)
  list(GET expected ${n} result)
  # No value or name holds a space; some hand-written lines space their items.
  string(REPLACE " " "" problem "${problem}")
  string(REPLACE " " "" result "${result}")
  if(NOT problem MATCHES "^{\"name\":\"([^\"]*)\"")
    message(FATAL_ERROR "line ${n}: no name")
  endif()
  set(name ${CMAKE_MATCH_1})

  doubles_of("${problem}" coupling coupling)
  doubles_of("${problem}" target target)
  set(settings nullptr)
  if(problem MATCHES "\"settings\":{([^}]*)}")
    string(REGEX REPLACE "\"([a-z_]+)\":([^,]+)" "settings.\\1 = \\2;" assignments
                         "${CMAKE_MATCH_1}")
    string(REPLACE ";," "; " assignments "${assignments}")
    string(APPEND helpers "void settings_${n}(SolverSettings& settings) { ${assignments} }\n")
    set(settings settings_${n})
  endif()
  set(error_weight nullptr)
  set(effort_weight nullptr)
  foreach(weight error_weight effort_weight)
    if(problem MATCHES "\"weights\":{.*\"${weight}\":\\[")
      doubles_of("${problem}" ${weight} values)
      string(APPEND helpers "constexpr double ${weight}_${n}[] = {${values}};\n")
      set(${weight} ${weight}_${n})
    endif()
  endforeach()

  scalar_of("${result}" iterations iterations)
  scalar_of("${result}" converged converged)
  foreach(field output1 u e y s z)
    doubles_of("${result}" ${field} ${field})
  endforeach()
  scalar_of("${result}" objv objv)
  set(objv_current true)
  if(objv STREQUAL "")
    set(objv_current false)
    set(objv 0.0)
  endif()
  scalar_of("${result}" gap gap)
  scalar_of("${result}" eq_residual_sq eq_residual_sq)
  scalar_of("${result}" ineq_residual_sq ineq_residual_sq)

  string(APPEND cases
    "    {\"${name}\",\n"
    "     {${coupling}},\n"
    "     {${target}},\n"
    "     ${settings}, ${error_weight}, ${effort_weight},\n"
    "     ${iterations}, ${converged},\n"
    "     {${output1}},\n"
    "     {${u}},\n"
    "     {${e}},\n"
    "     {${y}},\n"
    "     {${s}},\n"
    "     {${z}},\n"
    "     ${objv_current}, ${objv}, ${gap}, ${eq_residual_sq}, ${ineq_residual_sq}},\n")
endforeach()

file(WRITE ${OUTPUT}.new
  "// Generated from the golden problems and results by firmware/embed_golden.cmake.\n"
  "#include \"firmware/golden_cases.h\"\n\n"
  "namespace sfqp::firmware {\n\n"
  "namespace {\n\n"
  "// A problem's settings start from the defaults, whose progress table is on.\n"
  "${helpers}\n"
  "}  // namespace\n\n"
  "const GoldenCase kGoldenCases[] = {\n${cases}};\n\n"
  "const int kGoldenCaseCount = ${count};\n\n"
  "}  // namespace sfqp::firmware\n")
# Only a changed file is rewritten, so that nothing recompiles for nothing.
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
