# Warnings for every target of this project: call stela_warnings(target).
function(stela_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                             -Wnon-virtual-dtor -Wcast-qual)
    if(STELA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
