# cmake -DCOMPILER=<c++> -DINCLUDES=<dir;dir...> -DOWN=<header> -DOUTSIDE=<header;...>
#       -DWORK=<scratch dir> -P KvCheckIncludeRoot.cmake
#
# Checks the include roots of one library (kv_include_root): with the
# library's include directories, its own header `OWN` compiles, and each
# header of `OUTSIDE` (folders the library does not use) is not found. Fails
# when a root was widened (for example to the repository root), which would
# let the library include any folder again without a build error.
foreach(var COMPILER INCLUDES OWN OUTSIDE WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "KvCheckIncludeRoot: ${var} not given")
  endif()
endforeach()

file(MAKE_DIRECTORY ${WORK})
set(flags)
foreach(dir IN LISTS INCLUDES)
  list(APPEND flags -I${dir})
endforeach()

function(compile_probe header result_var output_var)
  string(MAKE_C_IDENTIFIER "${header}" name)
  set(probe ${WORK}/${name}.cpp)
  file(WRITE ${probe} "#include \"${header}\"\n")
  execute_process(COMMAND ${COMPILER} -std=c++20 -fsyntax-only ${flags} ${probe}
                  RESULT_VARIABLE result ERROR_VARIABLE output OUTPUT_QUIET)
  set(${result_var} ${result} PARENT_SCOPE)
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

compile_probe(${OWN} result output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "The library's own header ${OWN} does not compile with its include "
                      "directories:\n${output}")
endif()

foreach(header IN LISTS OUTSIDE)
  compile_probe(${header} result output)
  if(result EQUAL 0)
    message(FATAL_ERROR "${header} is reachable from the library's include directories: "
                        "its include root is wider than its own folder.")
  endif()
  string(FIND "${output}" "No such file" missing)
  if(missing EQUAL -1)
    message(FATAL_ERROR "${header} failed for another reason than a missing file:\n${output}")
  endif()
endforeach()
message(STATUS "${OWN}: own header compiles; not reachable: ${OUTSIDE}")
