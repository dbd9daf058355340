# The file queue's intakes: folder expansion, the drop and command-line rules,
# and their platform file systems. Included from src/job/CMakeLists.txt.
add_library(varudodi_intake STATIC
    ${CMAKE_CURRENT_LIST_DIR}/FolderScan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FolderScanControl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Intake.cpp)
target_include_directories(varudodi_intake PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(varudodi_intake PUBLIC varudodi_base)
if(WIN32)
    target_sources(varudodi_intake PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/FolderScanWin32.cpp
        ${CMAKE_CURRENT_LIST_DIR}/IntakeDropWin32.cpp)
    target_link_libraries(varudodi_intake PUBLIC shell32 varudodi_utils)
else()
    target_sources(varudodi_intake PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FolderScanPosix.cpp)
endif()
