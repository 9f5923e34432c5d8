set(KORVEX_PRINT_SRC
    ${CMAKE_CURRENT_LIST_DIR}/MyReport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MyPrintPreview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MyPreviewView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrintingBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrintJob.cpp)
