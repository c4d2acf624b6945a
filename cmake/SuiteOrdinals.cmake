# suite_ordinal_dll(target TABLE table SOURCES files...)
#
# Builds a DLL that exports by ordinal only. The sources compile into an object library; a
# check compares the objects' dllexport symbols with the checked-in ordinal table and writes
# the .def (every export "@n NONAME"); the DLL links with it, and dlltool makes the import
# library that clients bind through (target ${target}_import).
function(suite_ordinal_dll target)
    cmake_parse_arguments(ARG "" "TABLE" "SOURCES" ${ARGN})
    set(objects ${target}_objects)
    add_library(${objects} OBJECT ${ARG_SOURCES})

    set(def ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
    set(tool ${CMAKE_SOURCE_DIR}/cmake/ordinals.py)
    add_custom_command(OUTPUT ${def}
        COMMAND ${Python3_EXECUTABLE} ${tool} check
                --table ${ARG_TABLE} --def ${def} --library ${target}.dll
                --cxxfilt ${SUITE_CXXFILT} --append-target ${target}_ordinals_append
                $<TARGET_OBJECTS:${objects}>
        DEPENDS ${ARG_TABLE} ${tool} $<TARGET_OBJECTS:${objects}>
        COMMENT "Checking ${target} exports against its ordinal table"
        COMMAND_EXPAND_LISTS VERBATIM)

    add_custom_target(${target}_ordinals_append
        COMMAND ${Python3_EXECUTABLE} ${tool} append --table ${ARG_TABLE}
                --cxxfilt ${SUITE_CXXFILT} $<TARGET_OBJECTS:${objects}>
        DEPENDS ${objects}
        COMMENT "Appending new ${target} exports to ${ARG_TABLE}"
        COMMAND_EXPAND_LISTS VERBATIM)

    add_library(${target} SHARED $<TARGET_OBJECTS:${objects}> ${def})
    # ld writes its own import library too; clients never use it.
    set_target_properties(${target} PROPERTIES IMPORT_SUFFIX ".ld-implib.a")

    set(implib ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/lib${target}-ordinals.a)
    add_custom_command(OUTPUT ${implib}
        COMMAND ${SUITE_DLLTOOL} --input-def ${def} --dllname ${target}.dll --output-lib ${implib}
        DEPENDS ${def}
        COMMENT "Generating the ordinal import library of ${target}"
        VERBATIM)
    add_custom_target(${target}_implib DEPENDS ${implib})

    add_library(${target}_import INTERFACE)
    target_link_libraries(${target}_import INTERFACE ${implib})
    # A missing dllimport on data then fails at link time instead of reading garbage.
    target_link_options(${target}_import INTERFACE -Wl,--disable-auto-import)
    add_dependencies(${target}_import ${target}_implib ${target})
endfunction()
