# The folders of the program are layers, and the build holds them:
#   core  <-  fw  <-  link controls print skin  <-  ui  <-  app
# Each folder is a static library that links the libraries of the folders right below
# it. Its sources see the tree through an include root of its own, build/layers/<folder>,
# which holds links to that folder and res/ (resource ids and the version) only; the
# roots of the folders below come with their libraries. So "ui/ReaderDlg.h" included in
# controls/ is not found, and the build stops there. An include spelt from the file's
# own folder ("../ui/ReaderDlg.h") bypasses any include root: scripts/check-layers.sh,
# which reads every form, runs before the first library is compiled.

# An include root that shows only the named folders of the source tree.
function(korvex_include_root name)
    set(root ${CMAKE_BINARY_DIR}/layers/${name})
    file(MAKE_DIRECTORY ${root})
    foreach(dir ${ARGN})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${dir} ${root}/${dir} SYMBOLIC)
    endforeach()
endfunction()

# korvex_layer(folder [folders right below...]): the library korvex_<folder> of the
# sources that <folder>/sources.cmake lists in KORVEX_<FOLDER>_SRC.
function(korvex_layer dir)
    string(TOUPPER ${dir} upper)
    korvex_include_root(${dir} ${dir} res)
    add_library(korvex_${dir} STATIC ${KORVEX_${upper}_SRC})
    target_include_directories(korvex_${dir} PUBLIC ${CMAKE_BINARY_DIR}/layers/${dir})
    foreach(below ${ARGN})
        target_link_libraries(korvex_${dir} PUBLIC korvex_${below})
    endforeach()
    add_dependencies(korvex_${dir} korvex_layer_check)
endfunction()

set(KORVEX_LAYER_FILES)
foreach(dir core fw link controls print skin ui app quorlink)
    file(GLOB_RECURSE files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*)
    list(APPEND KORVEX_LAYER_FILES ${files})
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/layers/checked
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-layers.sh
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/layers/checked
    DEPENDS ${CMAKE_SOURCE_DIR}/scripts/check-layers.sh ${KORVEX_LAYER_FILES}
    COMMENT "Checking the layers' includes" VERBATIM)
add_custom_target(korvex_layer_check DEPENDS ${CMAKE_BINARY_DIR}/layers/checked)
