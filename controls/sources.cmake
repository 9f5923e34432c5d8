list(APPEND KORVEX_PORTABLE_SRC
    ${CMAKE_CURRENT_LIST_DIR}/AnchorMath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewMath.cpp)
list(APPEND KORVEX_WIN_SRC
    ${CMAKE_CURRENT_LIST_DIR}/AnchorLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PointsToLogical.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewClipboard.cpp)
