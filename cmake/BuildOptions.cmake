# Warnings and sanitizers for every target this project builds, in one place.
# Included before any target exists, so each target gets them alike.

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-qual)
if(STELA_WERROR)
    add_compile_options(-Werror)
endif()

if(STELA_SANITIZE)
    if(STELA_SANITIZE MATCHES "thread" AND STELA_SANITIZE MATCHES "address")
        message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer")
    endif()
    message(STATUS "Sanitizers: ${STELA_SANITIZE}")
    add_compile_options(-fsanitize=${STELA_SANITIZE} -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${STELA_SANITIZE})
endif()

# A program linked with Qt, under ThreadSanitizer: see TsanQtOptions.cpp.
function(stela_qt_program target)
    if(STELA_SANITIZE MATCHES "thread")
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/TsanQtOptions.cpp)
    endif()
endfunction()
