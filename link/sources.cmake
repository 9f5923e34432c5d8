list(APPEND KORVEX_PORTABLE_SRC
    ${CMAKE_CURRENT_LIST_DIR}/TranslationTables.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineAssembler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineQueue.cpp
)
