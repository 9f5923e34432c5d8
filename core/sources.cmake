# The portable core: no windows.h in any header. Two files have a Windows and a POSIX
# variant (how a file is opened, replaced and identified; how a configuration path is
# spelt); everything else builds and is tested natively.
set(KORVEX_CORE_SRC
    ${CMAKE_CURRENT_LIST_DIR}/AnchorMath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AppSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfigPath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DecimalText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DigitValue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DpiScale.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineAssembler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineFind.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineQueue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OutputFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PathParts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PathText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PortList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PreviewMath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RegionScan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReportMath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RunTitle.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SafeFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TranslationTables.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UiText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewMath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowRectMath.cpp)
if(WIN32)
    list(APPEND KORVEX_CORE_SRC ${CMAKE_CURRENT_LIST_DIR}/SafeFile_win.cpp
                                    ${CMAKE_CURRENT_LIST_DIR}/ConfigPath_win.cpp)
else()
    list(APPEND KORVEX_CORE_SRC ${CMAKE_CURRENT_LIST_DIR}/SafeFile_posix.cpp
                                    ${CMAKE_CURRENT_LIST_DIR}/ConfigPath_posix.cpp)
endif()
