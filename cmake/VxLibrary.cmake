# One static library per source folder. Sources are picked up by folder so that
# adding a class means adding its two files, nothing else. A sub-concern of a
# folder (SUBFOLDERS) is built into the folder's library. Platform code for
# the current OS lives in platform/linux or platform/windows.
function(vx_add_library name)
    cmake_parse_arguments(ARG "" "" "LIBS;SUBFOLDERS" ${ARGN})
    set(patterns ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    foreach(sub IN LISTS ARG_SUBFOLDERS)
        list(APPEND patterns ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.h)
    endforeach()
    file(GLOB sources CONFIGURE_DEPENDS ${patterns})
    add_library(${name} STATIC ${sources} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()
