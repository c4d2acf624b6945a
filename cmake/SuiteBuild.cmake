# Compile flags, output layout, version resources and test registration shared by every target.

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS ON)

# One bin/ folder: executables find every DLL beside them, under Wine as on Windows.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_SHARED_MODULE_PREFIX "")

# The target architecture: the main tree builds for 32-bit Windows (i686); a second tree, with
# its own toolchain file, builds the 64-bit modules (x86_64).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(SUITE_X64 ON)
    set(SUITE_TRIPLE x86_64-w64-mingw32)
    set(SUITE_MANIFEST_ARCH amd64)
    set(SUITE_RUNTIME_DLL_NAMES libgcc_s_seh-1.dll libwinpthread-1.dll) # SEH unwinding
else()
    set(SUITE_X64 OFF)
    set(SUITE_TRIPLE i686-w64-mingw32)
    set(SUITE_MANIFEST_ARCH x86)
    set(SUITE_RUNTIME_DLL_NAMES libgcc_s_dw2-1.dll libwinpthread-1.dll) # DWARF-2 unwinding
endif()

# Tests run in a Wine prefix private to this build tree.
set(SUITE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(SUITE_WINE_RUN ${CMAKE_SOURCE_DIR}/cmake/wine-run)
set(CMAKE_CROSSCOMPILING_EMULATOR ${SUITE_WINE_RUN} ${SUITE_WINEPREFIX})

find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Windows XP and later: newer APIs are looked up by name at run time.
add_compile_definitions(UNICODE _UNICODE WINVER=0x0501 _WIN32_WINNT=0x0501 NOMINMAX)
add_compile_options(
    $<$<NOT:$<BOOL:${SUITE_X64}>>:-mstackrealign>  # 32-bit callbacks arrive with 4-byte stack alignment
    $<$<COMPILE_LANGUAGE:CXX>:-Werror=conditionally-supported>  # a class object passed to "..." is an error
    $<$<COMPILE_LANGUAGE:CXX>:-fno-strict-aliasing>
)

# Warnings for the project's own code (third-party code keeps its own settings).
add_library(suite_warnings INTERFACE)
target_compile_options(suite_warnings INTERFACE
    $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra -Wno-cast-function-type -Wno-missing-field-initializers>)

# The runtime DLLs that modules with a shared libgcc need beside them.
foreach(dll ${SUITE_RUNTIME_DLL_NAMES})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${_path}" OR NOT EXISTS "${_path}")
        find_file(_path_found ${dll} PATHS /usr/${SUITE_TRIPLE}/lib NO_DEFAULT_PATH NO_CACHE)
        set(_path ${_path_found})
    endif()
    if(NOT _path)
        message(FATAL_ERROR "Runtime DLL ${dll} not found; run scripts/setup.")
    endif()
    file(COPY ${_path} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
    list(APPEND SUITE_RUNTIME_DLLS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${dll})
endforeach()
set(SUITE_RUNTIME_DLLS ${SUITE_RUNTIME_DLLS} CACHE INTERNAL "Runtime DLLs shipped beside shared-runtime modules")

# suite_runtime(target SHARED|STATIC)
#   SHARED: libgcc as a DLL so that exceptions cross module boundaries (framework, SuiteCore, tools).
#   STATIC: everything linked in; the module ships alone (HaltSuite, ShredMenu).
function(suite_runtime target kind)
    if(kind STREQUAL "SHARED")
        target_link_options(${target} PRIVATE -shared-libgcc -static-libstdc++)
    elseif(kind STREQUAL "STATIC")
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    else()
        message(FATAL_ERROR "suite_runtime: kind must be SHARED or STATIC, not ${kind}")
    endif()
    target_link_options(${target} PRIVATE -Wl,--nxcompat -Wl,--dynamicbase)
endfunction()

# suite_version_resource(target DESCRIPTION text [MANIFEST asInvoker|requireAdministrator] [COMMON_CONTROLS]
#                        [MANIFEST_ID id])
# Adds the version block every deliverable carries, and for programs the manifest (a DLL that
# carries one of its own gives MANIFEST_ID 2).
function(suite_version_resource target)
    cmake_parse_arguments(ARG "COMMON_CONTROLS" "DESCRIPTION;MANIFEST;MANIFEST_ID" "" ${ARGN})
    if(NOT ARG_MANIFEST_ID)
        set(ARG_MANIFEST_ID 1)
    endif()
    get_target_property(type ${target} TYPE)
    get_target_property(outname ${target} OUTPUT_NAME)
    if(NOT outname)
        set(outname ${target})
    endif()
    if(type STREQUAL "EXECUTABLE")
        set(SUITE_FILETYPE 0x1L)
        set(SUITE_ORIGINAL_FILENAME ${outname}.exe)
        if(NOT ARG_MANIFEST)
            set(ARG_MANIFEST asInvoker)
        endif()
    else()
        set(SUITE_FILETYPE 0x2L)
        set(SUITE_ORIGINAL_FILENAME ${outname}.dll)
    endif()
    set(SUITE_FILE_DESCRIPTION "${ARG_DESCRIPTION}")
    set(SUITE_INTERNAL_NAME ${outname})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    if(ARG_MANIFEST)
        set(SUITE_EXECUTION_LEVEL ${ARG_MANIFEST})
        set(SUITE_ASSEMBLY_NAME "Orvane.Lumasweep.${outname}")
        set(SUITE_DEPENDENCIES "")
        if(ARG_COMMON_CONTROLS)
            file(READ ${CMAKE_SOURCE_DIR}/cmake/comctl6.manifest.part part)
            # The dependency names the module's own architecture: a 64-bit module that asks
            # for the x86 common controls gets no activation context on 64-bit Windows.
            string(CONFIGURE "${part}" SUITE_DEPENDENCIES @ONLY)
        endif()
        set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
        configure_file(${CMAKE_SOURCE_DIR}/cmake/app.manifest.in ${manifest} @ONLY)
        file(APPEND ${rc} "${ARG_MANIFEST_ID} 24 \"${manifest}\"\n")
        set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${manifest})
    endif()
    target_sources(${target} PRIVATE ${rc})
endfunction()

# suite_add_gtest(name SOURCES files... [LIBS libs...] [LABELS labels...] [LOCKS locks...] [TIMEOUT s]
#                 [DISPLAY] [WIN32_PREFIX] [PROPERTIES name value...])
# A GoogleTest executable run under Wine; every test case becomes a CTest test at test time,
# so the build itself never starts Wine. DISPLAY tests draw for real: they run with the X11
# driver and a virtual desktop in a prefix of their own, under Xvfb, and carry the label
# "display". WIN32_PREFIX tests run in a 32-bit-only prefix of their own (a Windows without
# WOW64) and carry the label "win32prefix". PROPERTIES are further CTest properties of every case, one value each.
#
# LABELS and LOCKS are lists, and gtest_discover_tests cannot carry a list value: its
# PROPERTIES pass through several rounds of list expansion that drop any escaping, so
# "RESOURCE_LOCK a;b" arrives as "RESOURCE_LOCK a b" and only the first item holds. They are
# set instead by a script of our own that CTest reads right after the discovered cases, on the
# list of case names the discovery leaves behind. The declared labels and locks of every
# executable are also recorded in suite_gtests.json for the build test that checks them.
function(suite_add_gtest name)
    cmake_parse_arguments(ARG "DISPLAY;WIN32_PREFIX" "TIMEOUT" "SOURCES;LIBS;LABELS;LOCKS;PROPERTIES" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    # The suite's own test main: a program that loads SuiteCore gets the shutdown recorder
    # installed through SuiteCore's import target (it looks at SUITE_GTEST), and the main
    # refuses to run without it.
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} gmock suite_test_main suite_warnings)
    set_target_properties(${name} PROPERTIES SUITE_GTEST ON)
    suite_runtime(${name} SHARED)
    if(ARG_DISPLAY)
        set_target_properties(${name} PROPERTIES
            CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/cmake/wine-run-display;${SUITE_WINEPREFIX}")
        list(APPEND ARG_LABELS display)
        list(APPEND ARG_LOCKS x_display)
    endif()
    if(ARG_WIN32_PREFIX)
        set_target_properties(${name} PROPERTIES
            CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/cmake/wine-run-win32;${SUITE_WINEPREFIX}")
        list(APPEND ARG_LABELS win32prefix)
        list(APPEND ARG_LOCKS win32_prefix) # each run ends the prefix's wineserver
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        # Listing the cases starts the program under Wine; emulated and under load that can
        # take minutes.
        DISCOVERY_TIMEOUT 300
        WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
        TEST_LIST ${name}_TESTS
        # A crash hands the process to Wine's debugger, which prints this line; the case fails
        # on it even when the exit status that reaches CTest is 0.
        PROPERTIES TIMEOUT ${ARG_TIMEOUT} FAIL_REGULAR_EXPRESSION "starting debugger" ${ARG_PROPERTIES})
    _suite_gtest_list_properties(${name} "${ARG_LABELS}" "${ARG_LOCKS}")
endfunction()

# Writes the script that gives every discovered case of the executable its labels and locks,
# and has CTest read it after the discovery's own script (the order of TEST_INCLUDE_FILES).
function(_suite_gtest_list_properties name labels locks)
    set(props "")
    if(labels)
        string(APPEND props " LABELS [==[${labels}]==]")
    endif()
    if(locks)
        string(APPEND props " RESOURCE_LOCK [==[${locks}]==]")
    endif()
    if(props)
        set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_lists.cmake)
        file(CONFIGURE OUTPUT ${script} CONTENT
            "# Generated by suite_add_gtest: list-valued properties of the cases of ${name}.\n\
if(${name}_TESTS)\n\
  set_tests_properties(\${${name}_TESTS} PROPERTIES${props})\n\
endif()\n" @ONLY)
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
    endif()
    string(JOIN "\", \"" labels_json ${labels})
    string(JOIN "\", \"" locks_json ${locks})
    if(labels)
        set(labels_json "\"${labels_json}\"")
    endif()
    if(locks)
        set(locks_json "\"${locks_json}\"")
    endif()
    set_property(GLOBAL APPEND PROPERTY SUITE_GTEST_DECLARATIONS
        "\"${name}\": {\"executable\": \"$<TARGET_FILE_NAME:${name}>\", \"labels\": [${labels_json}], \"locks\": [${locks_json}]}")
endfunction()

# At the end of the configuration: what every suite_add_gtest declared, for the build tests.
function(_suite_write_gtest_declarations)
    get_property(entries GLOBAL PROPERTY SUITE_GTEST_DECLARATIONS)
    string(JOIN ",\n  " body ${entries})
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/suite_gtests.json CONTENT "{\n  ${body}\n}\n")
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _suite_write_gtest_declarations)

include(GoogleTest)
