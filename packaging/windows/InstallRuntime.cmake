# Run at install time (packaging/windows/WindowsPackage.cmake): installs the DLLs the programs
# and plugins import from the kit's bin folder, followed through their own imports; whatever
# the kit does not hold comes with Windows and is listed only.
#
# In: CORVANE_RUNTIME_EXECUTABLES, CORVANE_RUNTIME_MODULES, CORVANE_RUNTIME_FOLDER (the kit's
# bin), CORVANE_RUNTIME_OBJDUMP.
cmake_policy(VERSION 3.25) # install scripts run without the project's policies
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${CORVANE_RUNTIME_OBJDUMP}")

# CMake takes Windows' DLL names in lower case and looks for them so on this file system, where
# the kit's "Qt6Core.dll" is not "qt6core.dll": unresolved names are matched without regard to
# case, and the files found are scanned in turn, until nothing new turns up.
file(GLOB available LIST_DIRECTORIES false "${CORVANE_RUNTIME_FOLDER}/*.dll")
set(found)
set(grown TRUE)
while(grown)
    file(GET_RUNTIME_DEPENDENCIES
        EXECUTABLES ${CORVANE_RUNTIME_EXECUTABLES}
        MODULES ${CORVANE_RUNTIME_MODULES}
        LIBRARIES ${found}
        DIRECTORIES "${CORVANE_RUNTIME_FOLDER}"
        RESOLVED_DEPENDENCIES_VAR resolved
        UNRESOLVED_DEPENDENCIES_VAR unresolved)
    set(left)
    set(grown FALSE)
    foreach(name IN LISTS unresolved)
        set(match)
        foreach(file IN LISTS available)
            get_filename_component(fileName "${file}" NAME)
            string(TOLOWER "${fileName}" fileName)
            if(fileName STREQUAL name)
                set(match "${file}")
            endif()
        endforeach()
        if(NOT match)
            list(APPEND left ${name})
        elseif(NOT match IN_LIST found)
            list(APPEND found "${match}")
            set(grown TRUE)
        endif()
    endforeach()
endwhile()

set(runtime ${resolved} ${found})
list(REMOVE_DUPLICATES runtime)
file(INSTALL ${runtime} DESTINATION "${CMAKE_INSTALL_PREFIX}")
list(REMOVE_DUPLICATES left)
list(SORT left CASE INSENSITIVE)
message(STATUS "Left to Windows: ${left}")
