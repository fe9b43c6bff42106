# Windows: the programs, the Qt DLLs and plugins they need and no more, and CPack's settings
# for the installer (NSIS) and the portable archive (ZIP). Included from packaging/CMakeLists.txt
# for a Windows build; the programs themselves are installed in src/ (CORVANE_PROGRAMS).
#
#   cpack -G "NSIS;ZIP"   ->  Corvane-<version>-win64.exe, Corvane-<version>-win64.zip
#
# The layout is the one Qt looks for beside a program: its DLLs next to it, each plugin in the
# folder of its type (platforms\qwindows.dll, ...).

# The plugins, named here: the windows platform, Windows' own look (Edit > Theme > System) and
# the SQLite driver of the ledger. No image format: the program reads no pixels but its own
# PNG pictures, which Qt reads without a plugin.
set(CORVANE_QT_PLUGINS
    Qt6::QWindowsIntegrationPlugin Qt6::QWindowsVistaStylePlugin Qt6::QSQLiteDriverPlugin)
set(modules)
foreach(plugin IN LISTS CORVANE_QT_PLUGINS)
    get_target_property(type ${plugin} QT_PLUGIN_TYPE)
    install(IMPORTED_RUNTIME_ARTIFACTS ${plugin} LIBRARY DESTINATION ${type})
    list(APPEND modules "$<TARGET_FILE:${plugin}>")
endforeach()

# The DLLs are what a scan of the programs' and plugins' PE imports finds in the kit's bin
# folder (Qt's own and the compiler's runtime), followed through their own imports. What it
# cannot find there comes with Windows and is only listed in the install log.
set(programs)
foreach(program IN LISTS CORVANE_PROGRAMS)
    list(APPEND programs "$<TARGET_FILE:${program}>")
endforeach()
find_program(CORVANE_MINGW_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)
install(CODE "
    set(CORVANE_RUNTIME_EXECUTABLES ${programs})
    set(CORVANE_RUNTIME_MODULES ${modules})
    set(CORVANE_RUNTIME_FOLDER \"${CORVANE_QT_WINDOWS_PREFIX}/bin\")
    set(CORVANE_RUNTIME_OBJDUMP \"${CORVANE_MINGW_OBJDUMP}\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/InstallRuntime.cmake\")
")

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_FILE_NAME "Corvane-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Corvane)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Corvane)
set(CPACK_STRIP_FILES ON)
# The Start-menu shortcut, to the program at the top of the install folder.
set(CPACK_PACKAGE_EXECUTABLES corvane Corvane)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_PACKAGE_NAME Corvane)
set(CPACK_NSIS_DISPLAY_NAME Corvane)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_EXECUTABLE "${CMAKE_CURRENT_LIST_DIR}/makensis-amd64.sh")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/resources/images/corvane.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/resources/images/corvane.ico")
set(CPACK_NSIS_INSTALLED_ICON_NAME corvane.exe)
set(CPACK_NSIS_URL_INFO_ABOUT "${CPACK_PACKAGE_HOMEPAGE_URL}")
set(CPACK_NSIS_CONTACT "${CPACK_PACKAGE_CONTACT}")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# There is no licence text to agree to.
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
