# tamblero_library(NAME FOLDER SOURCES... [USES LIBRARIES...]): the static library of one
# folder, linking the libraries below it that it uses (publicly). Its include root,
# build/layers/NAME, holds links to FOLDER and to the folders of everything it uses, directly
# or not, and to nothing else: every include names its folder from the source root
# ("model/CategoryNode.h"), so an include of a folder above the library does not compile.
function(tamblero_library name folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "USES")
  add_library(${name} STATIC ${arg_UNPARSED_ARGUMENTS})
  set(folders ${folder})
  foreach(lower IN LISTS arg_USES)
    if(NOT TARGET ${lower} AND NOT lower MATCHES "::")
      message(FATAL_ERROR "${name} uses ${lower}, which is no library defined before it")
    endif()
    if(TARGET ${lower})
      get_target_property(seen ${lower} TAMBLERO_FOLDERS)
      if(seen)
        list(APPEND folders ${seen})
      endif()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES folders)
  set_target_properties(${name} PROPERTIES TAMBLERO_FOLDERS "${folders}")

  # Made anew at each configuration, so that a folder the library no longer uses is gone
  # (removing the root removes the links, never what they point to).
  set(root ${PROJECT_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${root})
  foreach(seen IN LISTS folders)
    get_filename_component(parent ${root}/${seen} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${seen} ${root}/${seen} SYMBOLIC)
  endforeach()
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${arg_USES})
endfunction()
