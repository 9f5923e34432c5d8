list(APPEND KORVEX_PORTABLE_SRC
    ${CMAKE_CURRENT_LIST_DIR}/PathText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PathParts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DecimalText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SafeFile.cpp)
# The one platform-specific part: how a file is opened, replaced and identified.
if(WIN32)
    list(APPEND KORVEX_PORTABLE_SRC ${CMAKE_CURRENT_LIST_DIR}/SafeFile_win.cpp)
else()
    list(APPEND KORVEX_PORTABLE_SRC ${CMAKE_CURRENT_LIST_DIR}/SafeFile_posix.cpp)
endif()
