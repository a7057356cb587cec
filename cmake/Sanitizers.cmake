# STELA_SANITIZE applies to every target built after this point.
if(STELA_SANITIZE)
    if(STELA_SANITIZE MATCHES "thread" AND STELA_SANITIZE MATCHES "address")
        message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer")
    endif()
    message(STATUS "Sanitizers: ${STELA_SANITIZE}")
    add_compile_options(-fsanitize=${STELA_SANITIZE} -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${STELA_SANITIZE})
endif()

# A Qt program under ThreadSanitizer: see TsanQtOptions.cpp.
function(stela_qt_sanitizer_options target)
    if(STELA_SANITIZE MATCHES "thread")
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/TsanQtOptions.cpp)
    endif()
endfunction()
