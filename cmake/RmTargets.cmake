# How the program's targets are declared.
#
# A target sees only the headers it lists itself and those of the libraries
# it links publicly: each target gets a view of its own headers (symbolic
# links in the build tree, at their paths from the project's root), and that
# view is its only include directory. So a logic library cannot include a
# window header of its own folder, nor anything of a subsystem above it.

# rm_header_view(<target>): the view of the headers among <target>'s sources.
function(rm_header_view target visibility)
    set(view ${CMAKE_BINARY_DIR}/include/${target})
    file(REMOVE_RECURSE ${view})
    get_target_property(sources ${target} SOURCES)
    foreach(source ${sources})
        if(NOT source MATCHES "\\.h$")
            continue()
        endif()
        get_filename_component(path ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${path})
        get_filename_component(folder ${view}/${relative} DIRECTORY)
        file(MAKE_DIRECTORY ${folder})
        file(CREATE_LINK ${path} ${view}/${relative} SYMBOLIC)
    endforeach()
    target_include_directories(${target} ${visibility} ${view})
endfunction()

# rm_add_library(<name> SOURCES <files>... [LINKS <libraries>...])
# A static library whose headers its users see, linking LINKS publicly.
function(rm_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS;PRIVATE_LINKS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    rm_header_view(${name} PUBLIC)
    target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})
endfunction()

# rm_add_executable(<name> SOURCES <files>... [LINKS <libraries>...])
function(rm_add_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
    qt_add_executable(${name} ${ARG_SOURCES})
    rm_header_view(${name} PRIVATE)
    target_link_libraries(${name} PRIVATE ${ARG_LINKS})
endfunction()
