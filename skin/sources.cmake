set(KORVEX_SKIN_SRC
    ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CreditsStatic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SkinButton.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SkinRegion.cpp)
