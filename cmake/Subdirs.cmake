# qv_add_present_subdirs(dir...): adds each listed folder that has a CMakeLists.txt.
function(qv_add_present_subdirs)
  foreach(d ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${d}/CMakeLists.txt)
      add_subdirectory(${d})
    endif()
  endforeach()
endfunction()
