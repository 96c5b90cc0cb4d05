# Run by `cmake --install` on Windows: records installPath where the program reads it, under
# HKEY_LOCAL_MACHINE in the 32-bit registry view (the program reads that view, as 32-bit
# installers and Imail write it). Writing there needs an administrator's command prompt.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
    message(STATUS "Staged install under DESTDIR: installPath is not recorded")
    return()
endif()
file(TO_NATIVE_PATH "${CMAKE_INSTALL_PREFIX}/${QUILLMERE_INSTALL_FOLDER}" folder)
execute_process(
    COMMAND reg add "HKLM\\SOFTWARE\\Brindlecove\\Quillmere" /v installPath /t REG_SZ
            /d "${folder}" /f /reg:32
    RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "Could not record installPath (${folder}) under "
                        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere: run the install "
                        "from an administrator's command prompt")
endif()
message(STATUS "Recorded installPath ${folder}")
