# Delay-import libraries for the GUI DLLs. Loading USER32 connects to the
# display (under Wine that is most of a short run's cost), so the runs that
# show no dialog must not pay for it: these libraries put the functions into
# the delay-import table instead, and the first call loads the DLL through
# the C runtime's __delayLoadHelper2. The code calls the functions directly.
#
# kelvora_delay_import(<target> <dll>...) builds lib<dll>_delay.a from
# <dll>-<arch>.def beside this file and links it to <target>. Link these
# ahead of the default libraries, so that every symbol they name is taken
# from them.

set(KELVORA_DELAYLOAD_DIR "${CMAKE_CURRENT_LIST_DIR}")

function(kelvora_delay_import target)
    if(NOT CMAKE_DLLTOOL)
        message(FATAL_ERROR "dlltool not found: the delay-import libraries need it")
    endif()
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(arch x86_64)
        set(extra)
    else()
        set(arch i686)
        # The 32-bit .def names carry the stdcall size (DialogBoxParamA@20)
        # so that the decorated symbols resolve; the DLL exports them bare.
        set(extra --kill-at)
    endif()
    foreach(dll IN LISTS ARGN)
        set(def "${KELVORA_DELAYLOAD_DIR}/${dll}-${arch}.def")
        set(lib "${CMAKE_CURRENT_BINARY_DIR}/lib${dll}_delay.a")
        add_custom_command(
            OUTPUT "${lib}"
            # Run in the build folder with a bare output name: dlltool makes
            # symbol and temporary file names from it, and a path would put
            # the build folder into the objects.
            COMMAND "${CMAKE_DLLTOOL}" ${extra} --input-def "${def}"
                    --output-delaylib "lib${dll}_delay.a"
            WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
            DEPENDS "${def}"
            COMMENT "Delay-import library for ${dll}"
            VERBATIM)
        add_custom_target(${target}_${dll}_delay DEPENDS "${lib}")
        add_dependencies(${target} ${target}_${dll}_delay)
        target_link_libraries(${target} PRIVATE "${lib}")
    endforeach()

    # The table's terminator, kept by the section garbage collection since
    # nothing refers to it, and the data-directory entry that tools read.
    target_sources(${target} PRIVATE "${KELVORA_DELAYLOAD_DIR}/DelayImportEnd.c")
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(endSymbol KelvoraDelayImportEnd)
    else()
        set(endSymbol _KelvoraDelayImportEnd)
    endif()
    set(map "${CMAKE_CURRENT_BINARY_DIR}/${target}.map")
    target_link_options(${target} PRIVATE "-Wl,--undefined=${endSymbol}" "-Wl,-Map=${map}")
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND Python3::Interpreter "${KELVORA_DELAYLOAD_DIR}/SetDelayImportDirectory.py"
                "$<TARGET_FILE:${target}>" "${map}"
        VERBATIM)
endfunction()
