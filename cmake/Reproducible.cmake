# Byte-identical output from the same sources, wherever and whenever they are built.
#
# - The linker writes no time into the PE header (its TimeDateStamp stays 0); with it the header
#   checksum no longer changes between builds either. The resources carry no time: windres
#   leaves the resource directory's date at 0, and the version resource has none.
# - No path of the build machine reaches the objects: the source and build directories are
#   mapped to fixed names wherever the compiler would write them (__FILE__, debug information).
# - The sources use no __DATE__ or __TIME__; the compiler would take SOURCE_DATE_EPOCH for them.
function(vellimor_reproducible)
    foreach(target IN LISTS ARGN)
        if(MSVC)
            target_compile_options(${target} PRIVATE /Brepro)
        else()
            target_compile_options(${target} PRIVATE
                -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                -ffile-prefix-map=${PROJECT_BINARY_DIR}/=build/)
        endif()
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            if(MSVC)
                target_link_options(${target} PRIVATE /Brepro)
            elseif(WIN32)
                target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp)
            endif()
        endif()
    endforeach()
endfunction()
