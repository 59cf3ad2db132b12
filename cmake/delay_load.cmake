# Delay-loaded system DLLs: `delayed::<name>` links the program to <name>.dll so that the DLL is
# loaded at the first call of one of its functions rather than before the program's first line
# runs. A DLL costs its loading and set-up at every start otherwise (under Wine about 20 ms each
# for wininet.dll and comctl32.dll), while the window thread does not need wininet at all (the
# catalogue is fetched on a thread of its own) and comctl32 only once the window is being made.
#
# GNU ld has no /DELAYLOAD: the import library of the SDK is turned into a delay-import library
# by dlltool, with every function it names, and the runtime's __delayLoadHelper2 (delayimp)
# loads the DLL and binds each function at its first call.
function(zentori_delay_loaded name)
    add_library(delayed::${name} INTERFACE IMPORTED GLOBAL)
    if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM)
        set_target_properties(delayed::${name} PROPERTIES INTERFACE_LINK_LIBRARIES ${name})
        return()
    endif()
    find_library(import_library_${name} NAMES ${name} REQUIRED NO_CACHE)
    set(import_library "${import_library_${name}}")
    set(folder "${CMAKE_BINARY_DIR}/delay-load")
    set(definitions "${folder}/${name}.def")
    set(delay_library "${folder}/lib${name}_delayed.a")
    file(MAKE_DIRECTORY "${folder}")
    execute_process(COMMAND ${CMAKE_DLLTOOL} --identify "${import_library}"
                    OUTPUT_VARIABLE dll OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${CMAKE_NM} -g --defined-only "${import_library}"
                    OUTPUT_VARIABLE symbols ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
    # An import library defines __imp_<function> for each function of the DLL.
    string(REGEX MATCHALL "[0-9a-fA-F]+ I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
    list(TRANSFORM imports REPLACE "^[0-9a-fA-F]+ I __imp_" "")
    list(REMOVE_DUPLICATES imports)
    list(SORT imports)
    list(JOIN imports "\n" exports)
    file(WRITE "${definitions}" "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
    execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def "${definitions}" --dllname "${dll}"
                            --output-delaylib "${delay_library}"
                    COMMAND_ERROR_IS_FATAL ANY)
    set_target_properties(delayed::${name} PROPERTIES INTERFACE_LINK_LIBRARIES "${delay_library};delayimp")
endfunction()
