# kv_include_root(<target> <folder>)
#
# Gives <target> an include root that holds <folder> of the source tree and
# nothing else: a directory of the build in which <folder> (e.g.
# solver/state) is a link to the source folder. Headers are included by their
# path from the repository root ("solver/state/run_state.h"), so a library
# whose root and whose linked libraries' roots do not hold a folder cannot
# include a header from it: the compiler finds no file. The root is PUBLIC,
# so the libraries that link <target> see <folder> too.
#
# Libraries low in the dependency order use this instead of the whole
# repository as include directory; programs and tests at the top may keep the
# repository root.
function(kv_include_root target folder)
  string(REPLACE "/" "_" root_name "${folder}")
  set(root ${CMAKE_BINARY_DIR}/include-roots/${root_name})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT IS_SYMLINK ${root}/${folder})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# kv_check_include_root(<target> OWN <header> OUTSIDE <headers...>)
#
# A unit test that the include directories of <target> (its own and those of
# the libraries it links) reach its own header `OWN` and none of the OUTSIDE
# headers, taken from folders the target must not use.
function(kv_check_include_root target)
  cmake_parse_arguments(C "" "OWN" "OUTSIDE" ${ARGN})
  add_test(NAME IncludeRoots.${target}
           COMMAND ${CMAKE_COMMAND} -DCOMPILER=${CMAKE_CXX_COMPILER}
                   "-DINCLUDES=$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>"
                   -DOWN=${C_OWN} "-DOUTSIDE=${C_OUTSIDE}"
                   -DWORK=${CMAKE_BINARY_DIR}/test-tmp/include-roots/${target}
                   -P ${CMAKE_SOURCE_DIR}/cmake/KvCheckIncludeRoot.cmake)
  set_tests_properties(IncludeRoots.${target} PROPERTIES LABELS unit)
endfunction()
