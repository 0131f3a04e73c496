# The warnings our own code is held to. Each of our targets asks for them privately, through
# this one function, so they apply to our own sources only: nothing passes them on to a target
# that links ours, and code from elsewhere (GoogleTest's sources in the MinGW build) keeps its
# own settings.
function(tilewright_target_warnings target)
    if(MSVC)
        set(warnings /W4 $<$<BOOL:${TILEWRIGHT_WERROR}>:/WX>)
    else()
        set(warnings -Wall -Wextra -Wpedantic $<$<BOOL:${TILEWRIGHT_WERROR}>:-Werror>)
    endif()
    target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${warnings}>")
    set_property(TARGET ${target} PROPERTY TILEWRIGHT_WARNINGS ON)
endfunction()

# Fails the configure when a target that compiles our code does not ask for the warnings, so a
# new target cannot be missed. Folders outside the source tree (GoogleTest's) are not ours.
function(tilewright_check_warnings directory)
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        get_target_property(asked ${target} TILEWRIGHT_WARNINGS)
        if(type MATCHES "EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY" AND NOT asked)
            message(FATAL_ERROR "${target} is built without tilewright_target_warnings()")
        endif()
    endforeach()
    get_property(folders DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(folder ${folders})
        cmake_path(IS_PREFIX PROJECT_SOURCE_DIR ${folder} NORMALIZE ours)
        if(ours)
            tilewright_check_warnings(${folder})
        endif()
    endforeach()
endfunction()
