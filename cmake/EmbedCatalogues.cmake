# Compiles translation catalogues and writes them into a C++ source as the
# catalogues stela-cli carries in itself (cli/BuiltInCatalogues.h).
#   cmake -DMSGFMT=msgfmt -DOUTPUT=file.cpp -DCATALOGUES=LANGUAGE,DOMAIN,PO|...
#         -P EmbedCatalogues.cmake
string(REPLACE "|" ";" catalogues "${CATALOGUES}")
set(arrays "")
set(entries "")
set(index 0)
foreach(catalogue IN LISTS catalogues)
    string(REPLACE "," ";" fields "${catalogue}")
    list(GET fields 0 language)
    list(GET fields 1 domain)
    list(GET fields 2 po)
    set(mo ${OUTPUT}.${index}.mo)
    execute_process(COMMAND ${MSGFMT} --check -o ${mo} ${po} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "msgfmt failed on ${po}")
    endif()
    file(READ ${mo} hex HEX)
    file(REMOVE ${mo})
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    string(APPEND arrays "const char k${index}[] = {${bytes}};\n")
    string(APPEND entries "        {\"${language}\", \"${domain}\", {k${index}, sizeof k${index}}},\n")
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new "// Made by cmake/EmbedCatalogues.cmake\n\
#include \"cli/BuiltInCatalogues.h\"\n\nnamespace stela::cli {\nnamespace {\n${arrays}}\n\n\
std::vector<BuiltInCatalogue> builtInCatalogues() {\n    return {\n${entries}    };\n}\n\n}\n")
file(RENAME ${OUTPUT}.new ${OUTPUT})
