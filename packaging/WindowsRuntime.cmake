# What the MinGW-w64 build's programs load beside themselves on a machine without Qt: Qt's DLLs,
# the plugins Qt loads from the program's folder (the platform, the native style, and the
# Schannel TLS backend that update's https needs; the programs read no image files, so no image
# format plugin), the MinGW runtime, and the licences all these come under. Qt finds the plugins
# in bin's own platforms, styles and tls folders, so no qt.conf is needed.
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
              $<TARGET_FILE:Qt6::Network>
        DESTINATION bin)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION bin/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION bin/styles)
install(FILES $<TARGET_FILE:Qt6::QSchannelBackendPlugin> DESTINATION bin/tls)

foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    # The compiler echoes a name it cannot find.
    if(NOT IS_ABSOLUTE "${runtime_path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${runtime} is")
    endif()
    install(FILES ${runtime_path} DESTINATION bin)
endforeach()

# Qt is under the LGPL 3, which builds on the GPL 3; the copyright records name the holders of Qt
# (Debian's qt6-base, the source this Qt was built from) and of the MinGW runtime, whose
# winpthreads asks for its notice to travel with the DLL.
set(licence_texts
    "/usr/share/common-licenses/LGPL-3|LGPL-3.txt"
    "/usr/share/common-licenses/GPL-3|GPL-3.txt"
    "/usr/share/doc/libqt6core6/copyright|Qt-copyright.txt"
    "/usr/share/doc/mingw-w64-x86-64-dev/copyright|mingw-w64-copyright.txt"
    "/usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright|gcc-runtime-copyright.txt")
foreach(entry ${licence_texts})
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 source)
    list(GET entry 1 name)
    if(NOT EXISTS "${source}")
        message(FATAL_ERROR "${source} is missing: the Windows installation carries it as ${name} "
                            "(scripts/install-deps.sh installs the packages that hold it)")
    endif()
    install(FILES "${source}" DESTINATION bin RENAME ${name})
endforeach()
