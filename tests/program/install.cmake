# Installs the build into a fresh prefix: the program goes to bin/, its
# connection files to share/rm4630k-utility/, and the program holds no path
# of the source tree (nor of a build tree inside it), as 8-bit or as UTF-16
# text. Arguments: BUILD_DIR, SOURCE_DIR, PREFIX, SANITIZED (a sanitizer
# build is never installed: its checks name the files they were compiled
# from, which the compiler's prefix maps leave as they are).
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
    message(FATAL_ERROR "cmake --install failed: ${failed}")
endif()
foreach(file bin/rm4630k-utility share/rm4630k-utility/term1.ht share/rm4630k-utility/term2.ht
             share/rm4630k-utility/term3.ht share/rm4630k-utility/term4.ht)
    if(NOT EXISTS ${PREFIX}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

if(SANITIZED)
    file(REMOVE_RECURSE ${PREFIX})
    return()
endif()
file(READ ${PREFIX}/bin/rm4630k-utility program HEX)
foreach(tree ${SOURCE_DIR} ${BUILD_DIR})
    string(HEX "${tree}" narrow)
    string(REGEX REPLACE "(..)" "\\100" wide "${narrow}")
    foreach(form ${narrow} ${wide})
        string(FIND "${program}" "${form}" at)
        if(NOT at EQUAL -1)
            message(FATAL_ERROR "the installed program holds the path ${tree}")
        endif()
    endforeach()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
