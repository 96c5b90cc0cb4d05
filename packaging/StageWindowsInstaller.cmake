# Run when building the Windows installer: installs the build into a staging folder and writes the
# NSIS script from quillmere.nsi.in, with one File line per staged file and, for the uninstaller,
# one Delete line per file and one RMDir per folder, deepest first, so that it removes exactly what
# was installed. The registry component is left out: the installer writes installPath itself.
#   cmake -DBUILD_DIR=... -DSTAGE=... -DTEMPLATE=... -DSCRIPT=... -DINSTALLER=...
#         -DQUILLMERE_INSTALL_FOLDER=... -DPROJECT_VERSION=... -P StageWindowsInstaller.cmake
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${STAGE}"
                        --component Unspecified --strip
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "Staging the installation in ${STAGE} failed")
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${STAGE}" "${STAGE}/*")
list(SORT files)
set(folders "")
foreach(file ${files})
    get_filename_component(folder "${file}" DIRECTORY)
    while(NOT folder STREQUAL "")
        list(APPEND folders "${folder}")
        get_filename_component(folder "${folder}" DIRECTORY)
    endwhile()
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders)

# Folder by folder, the installation's root first.
set(install_lines "")
set(uninstall_lines "")
foreach(folder "" ${folders})
    string(REPLACE "/" "\\" windows_folder "${folder}")
    set(out_path "$INSTDIR")
    if(NOT folder STREQUAL "")
        string(APPEND out_path "\\${windows_folder}")
    endif()
    set(folder_lines "")
    foreach(file ${files})
        get_filename_component(file_folder "${file}" DIRECTORY)
        if(file_folder STREQUAL folder)
            string(REPLACE "/" "\\" windows_file "${file}")
            string(APPEND folder_lines "  File \"${windows_file}\"\n")
            string(APPEND uninstall_lines "  Delete \"$INSTDIR\\${windows_file}\"\n")
        endif()
    endforeach()
    if(NOT folder_lines STREQUAL "")
        string(APPEND install_lines "  SetOutPath \"${out_path}\"\n${folder_lines}")
    endif()
endforeach()

# Deepest first: a folder is removed after the folders inside it, and only when it is empty.
list(SORT folders ORDER DESCENDING)
foreach(folder ${folders})
    string(REPLACE "/" "\\" windows_folder "${folder}")
    string(APPEND uninstall_lines "  RMDir \"$INSTDIR\\${windows_folder}\"\n")
endforeach()

string(REPLACE "/" "\\" QUILLMERE_INSTALL_FOLDER "${QUILLMERE_INSTALL_FOLDER}")
set(QUILLMERE_INSTALL_FILES "${install_lines}")
set(QUILLMERE_UNINSTALL_FILES "${uninstall_lines}")
set(QUILLMERE_INSTALLER "${INSTALLER}")
configure_file("${TEMPLATE}" "${SCRIPT}" @ONLY)
