set(KORVEX_CONTROLS_SRC
    ${CMAKE_CURRENT_LIST_DIR}/AnchorLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewClipboard.cpp)
