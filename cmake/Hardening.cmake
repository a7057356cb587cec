# Debian's hardening flags on every program this project builds, as
# dpkg-buildflags gives them with hardening=+all: fortified libc calls, the
# stack protector, format checks, full RELRO with immediate binding, and PIE.
# Only the hardening: the optimisation and debug flags stay the build type's.
# Sanitizer and fuzzing builds bring instrumentation of their own and go without;
# so do Windows programs, whose linker knows none of the ELF flags (RELRO, now).
option(STELA_HARDENING "Build with Debian's hardening flags (dpkg-buildflags)" ON)

if(STELA_HARDENING AND NOT STELA_SANITIZE AND NOT STELA_FUZZ AND NOT WIN32)
    find_program(DPKG_BUILDFLAGS dpkg-buildflags)
    if(NOT DPKG_BUILDFLAGS)
        message(WARNING "dpkg-buildflags (dpkg-dev) is missing: no hardening flags")
        return()
    endif()
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                    ${DPKG_BUILDFLAGS} --get ${kind}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        list(FILTER flags EXCLUDE REGEX "^-(g|O.*|ffile-prefix-map=.*)$")
        set(hardening_${kind} ${flags})
    endforeach()
    # What newer dpkg-buildflags adds to +all ("stackclash", "branch"), where
    # this one does not yet and the compiler knows it: hardening-check asks for both.
    include(CheckCXXCompilerFlag)
    foreach(flag -fstack-clash-protection -fcf-protection)
        string(MAKE_C_IDENTIFIER "STELA_HAS${flag}" known)
        check_cxx_compiler_flag(${flag} ${known})
        if(${known} AND NOT flag IN_LIST hardening_CXXFLAGS)
            list(APPEND hardening_CXXFLAGS ${flag})
        endif()
    endforeach()
    string(JOIN " " shown ${hardening_CPPFLAGS} ${hardening_CXXFLAGS} ${hardening_LDFLAGS})
    message(STATUS "Hardening: ${shown}")
    # _FORTIFY_SOURCE needs an optimising build; a Debug one would only warn.
    foreach(flag ${hardening_CPPFLAGS})
        add_compile_options("$<$<NOT:$<CONFIG:Debug>>:${flag}>")
    endforeach()
    add_compile_options(${hardening_CXXFLAGS})
    add_link_options(${hardening_LDFLAGS})
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    include(CheckPIESupported)
    check_pie_supported()
endif()
