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
