# Finds Qt for Windows when cross-building: CORVANE_QT_WINDOWS_KIT (a cache variable, or the
# environment variable of that name) is either a kit archive (.tar.xz, .tar.gz, .zip), which
# is unpacked into the build folder and unpacked again when the archive changes, or the
# prefix of an unpacked kit (the folder holding lib/cmake/Qt6). Qt's host tools come from
# QT_HOST_PATH, Debian's Qt by default.
if(NOT CORVANE_QT_WINDOWS_KIT AND DEFINED ENV{CORVANE_QT_WINDOWS_KIT})
    set(CORVANE_QT_WINDOWS_KIT "$ENV{CORVANE_QT_WINDOWS_KIT}")
endif()
set(CORVANE_QT_WINDOWS_KIT "${CORVANE_QT_WINDOWS_KIT}" CACHE FILEPATH
    "Qt for Windows: a kit archive or an unpacked prefix (tools/make-qt-windows-kit.sh makes one)")
if(NOT CORVANE_QT_WINDOWS_KIT)
    message(FATAL_ERROR "Cross-building for Windows needs Qt for Windows: set "
        "CORVANE_QT_WINDOWS_KIT to a kit archive or prefix (tools/make-qt-windows-kit.sh makes one)")
endif()
get_filename_component(kit "${CORVANE_QT_WINDOWS_KIT}" ABSOLUTE)
if(NOT EXISTS "${kit}")
    message(FATAL_ERROR "CORVANE_QT_WINDOWS_KIT: ${kit} does not exist")
endif()

if(IS_DIRECTORY "${kit}")
    set(CORVANE_QT_WINDOWS_PREFIX "${kit}")
else()
    # Unpacked once per archive: a stamp holds the archive's hash.
    set(unpacked "${CMAKE_BINARY_DIR}/qt-windows-kit")
    file(SHA256 "${kit}" hash)
    set(stamp "")
    if(EXISTS "${unpacked}/.archive-sha256")
        file(READ "${unpacked}/.archive-sha256" stamp)
    endif()
    if(NOT stamp STREQUAL hash)
        message(STATUS "Unpacking ${kit}")
        file(REMOVE_RECURSE "${unpacked}")
        file(ARCHIVE_EXTRACT INPUT "${kit}" DESTINATION "${unpacked}")
        file(WRITE "${unpacked}/.archive-sha256" "${hash}")
    endif()
    # The kit unpacks to one folder (qt6.4.2-mingw64/) or straight into the destination.
    file(GLOB configs LIST_DIRECTORIES false "${unpacked}/lib/cmake/Qt6/Qt6Config.cmake"
                                              "${unpacked}/*/lib/cmake/Qt6/Qt6Config.cmake")
    list(LENGTH configs found)
    if(NOT found EQUAL 1)
        message(FATAL_ERROR "${kit} holds no Qt prefix (lib/cmake/Qt6) at its top or one folder down")
    endif()
    get_filename_component(CORVANE_QT_WINDOWS_PREFIX "${configs}" DIRECTORY)
    get_filename_component(CORVANE_QT_WINDOWS_PREFIX "${CORVANE_QT_WINDOWS_PREFIX}/../../.." ABSOLUTE)
endif()
if(NOT EXISTS "${CORVANE_QT_WINDOWS_PREFIX}/lib/cmake/Qt6/Qt6Config.cmake")
    message(FATAL_ERROR "${CORVANE_QT_WINDOWS_PREFIX} is not a Qt prefix (no lib/cmake/Qt6)")
endif()
message(STATUS "Qt for Windows: ${CORVANE_QT_WINDOWS_PREFIX}")

list(APPEND CMAKE_FIND_ROOT_PATH "${CORVANE_QT_WINDOWS_PREFIX}")
list(APPEND CMAKE_PREFIX_PATH "${CORVANE_QT_WINDOWS_PREFIX}")
set(QT_HOST_PATH /usr CACHE PATH "Where Qt's host tools (moc, rcc, uic) live")
if(NOT QT_HOST_PATH_CMAKE_DIR)
    # Debian keeps them in the multiarch folder of the build machine.
    file(GLOB hostTools "${QT_HOST_PATH}/lib/*/cmake/Qt6CoreTools"
                        "${QT_HOST_PATH}/lib/cmake/Qt6CoreTools")
    list(GET hostTools 0 hostTools)
    get_filename_component(hostCMake "${hostTools}" DIRECTORY)
    set(QT_HOST_PATH_CMAKE_DIR "${hostCMake}" CACHE PATH "The host Qt's CMake package files")
endif()
