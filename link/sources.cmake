set(KORVEX_LINK_SRC ${CMAKE_CURRENT_LIST_DIR}/AcquisitionSession.cpp ${CMAKE_CURRENT_LIST_DIR}/CommLibrary.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LastRunRecord.cpp)
