# The build test of the forbidden headers (cmake -P). It passes only when the include path a portable
# target is compiled with starts with the forbidden folder, and when SOURCE, compiled with that path by
# each compiler, stops on the #error of the forbidden windows.h, its own words in the output. Any other
# failure (a header missing, a syntax error) fails the test: that is how it failed unnoticed before.
#   -DTARGET=name -DDIRS=dir|dir|... (the target's include directories, in order) -DFORBIDDEN=folder
#   -DSOURCE=file -DCOMPILERS=compiler|compiler|...
foreach(v TARGET DIRS FORBIDDEN SOURCE COMPILERS)
  if(NOT DEFINED ${v} OR "${${v}}" STREQUAL "")
    message(FATAL_ERROR "${v} is not given")
  endif()
endforeach()
string(REPLACE "|" ";" dirs "${DIRS}")
string(REPLACE "|" ";" compilers "${COMPILERS}")

list(GET dirs 0 first)
file(REAL_PATH "${first}" first)
file(REAL_PATH "${FORBIDDEN}" forbidden)
if(NOT first STREQUAL forbidden)
  message(FATAL_ERROR "${TARGET}: the first include directory is ${first}, not ${forbidden}")
endif()

file(STRINGS "${forbidden}/windows.h" error_line REGEX "^#error ")
if(NOT error_line MATCHES "^#error \"(.+)\"$")
  message(FATAL_ERROR "${forbidden}/windows.h has no #error \"...\" line")
endif()
set(expected "${CMAKE_MATCH_1}")

set(include_args)
foreach(d IN LISTS dirs)
  list(APPEND include_args "-I${d}")
endforeach()
foreach(cxx IN LISTS compilers)
  execute_process(COMMAND "${cxx}" -std=c++20 -fsyntax-only ${include_args} "${SOURCE}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(rc EQUAL 0)
    message(FATAL_ERROR "${TARGET}: ${cxx} compiled ${SOURCE}: windows.h is not stopped")
  endif()
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${TARGET}: ${cxx} failed, but not on the forbidden header's #error:\n${out}")
  endif()
  message(STATUS "${TARGET}: ${cxx} stops on: ${expected}")
endforeach()
