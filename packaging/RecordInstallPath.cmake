# Run when installing: writes the installPath setting beside the installed programs. The prefix
# is the one of this install, so a package staged under DESTDIR records its real place.
set(prefix "${CMAKE_INSTALL_PREFIX}")
set(settings "$ENV{DESTDIR}${prefix}/${QUILLMERE_DATADIR}/quillmere/registry.ini")
file(WRITE "${settings}"
     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\ninstallPath=${prefix}/${QUILLMERE_INSTALL_FOLDER}\n")
message(STATUS "Recorded installPath in ${settings}")
