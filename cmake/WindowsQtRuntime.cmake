# What a Windows program built with Qt needs beside it, as Qt's Windows
# deployment lays it out: the Qt DLLs next to the .exe, the platform plugin in
# platforms\, the style in styles\. Target stela_qt_runtime puts them into the
# build's bin folder, so that stela.exe and the window's suites run from there
# under Wine; STELA_QT_RUNTIME_FILES lists what the program alone needs, as
# "source|folder" pairs, for the zip and the MSI.

# Only the program's: the offscreen platform and Qt Test serve the suites.
set(STELA_QT_RUNTIME_FILES
    "$<TARGET_FILE:Qt6::Core>|."
    "$<TARGET_FILE:Qt6::Gui>|."
    "$<TARGET_FILE:Qt6::Widgets>|."
    "$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>|platforms"
    "$<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>|styles")
set(test_files
    "$<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>|platforms")
if(TARGET Qt6::Test)
    list(APPEND test_files "$<TARGET_FILE:Qt6::Test>|.")
endif()

set(copies)
foreach(pair IN LISTS STELA_QT_RUNTIME_FILES test_files)
    string(REPLACE "|" ";" parts "${pair}")
    list(GET parts 0 file)
    list(GET parts 1 folder)
    list(APPEND copies
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${folder}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file}
                ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${folder}/)
endforeach()
add_custom_target(stela_qt_runtime ${copies} COMMENT "Qt's DLLs and plugins beside the programs"
    VERBATIM)
