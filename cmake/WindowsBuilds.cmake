# The two Windows builds as sub-builds of the native one, the Wine prefixes they are tested in, and the
# function that registers a test running a Windows program under Wine.
include(ExternalProject)

set(TOLVIK_WIN32_BIN ${CMAKE_BINARY_DIR}/win32/bin CACHE INTERNAL "i686 programs")
set(TOLVIK_WIN64_BIN ${CMAKE_BINARY_DIR}/win64/bin CACHE INTERNAL "x86_64 programs")
set(TOLVIK_WINE_DIR ${CMAKE_BINARY_DIR}/wine CACHE INTERNAL "Wine prefixes")

foreach(arch i686 x86_64)
    if(arch STREQUAL "i686")
        set(name win32)
        set(extra)
    else()
        set(name win64)
        set(extra -DTOLVIK_DEVCON_ONLY=ON)
    endif()
    ExternalProject_Add(${name}-build
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${CMAKE_BINARY_DIR}/${name}
        CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchain-mingw-${arch}.cmake
                   -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} ${extra}
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        USES_TERMINAL_BUILD ON)
endforeach()

# Prefixes are made once per build tree (wineboot is slow) and reused.
set(prefix_sources ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.reg)
foreach(name win32 win64)
    add_custom_command(OUTPUT ${TOLVIK_WINE_DIR}/${name}/.tolvik-ready
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh ${TOLVIK_WINE_DIR}/${name} ${name}
        DEPENDS ${prefix_sources}
        COMMENT "Wine prefix ${name}")
    list(APPEND prefix_stamps ${TOLVIK_WINE_DIR}/${name}/.tolvik-ready)
endforeach()
# The demo PC's registry class keys, generated from its description and imported into both prefixes; a
# changed description is imported again, replacing the keys of the previous import.
set(TOLVIK_DEMO_REG ${CMAKE_BINARY_DIR}/demo.reg CACHE INTERNAL "class keys of the demo PC")
add_custom_command(OUTPUT ${TOLVIK_DEMO_REG}
    COMMAND simpc-reg ${PROJECT_SOURCE_DIR}/demo/pc.txt ${TOLVIK_DEMO_REG}
    DEPENDS simpc-reg ${PROJECT_SOURCE_DIR}/demo/pc.txt
    COMMENT "Registry class keys of the demo PC")
foreach(name win32 win64)
    add_custom_command(OUTPUT ${TOLVIK_WINE_DIR}/${name}/.tolvik-seeded/demo.reg
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-seed.sh ${TOLVIK_WINE_DIR}/${name} ${TOLVIK_DEMO_REG}
        DEPENDS ${TOLVIK_WINE_DIR}/${name}/.tolvik-ready ${TOLVIK_DEMO_REG} ${PROJECT_SOURCE_DIR}/scripts/wine-seed.sh
        COMMENT "Demo registry in the ${name} prefix")
    list(APPEND prefix_stamps ${TOLVIK_WINE_DIR}/${name}/.tolvik-seeded/demo.reg)
endforeach()
add_custom_target(wine-prefixes ALL DEPENDS ${prefix_stamps})

# Tests in a shared prefix run against one server kept alive for the whole run (see wine-server.sh).
foreach(name win32 win64)
    add_test(NAME wine-server.start.${name}
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-server.sh start ${TOLVIK_WINE_DIR}/${name})
    add_test(NAME wine-server.stop.${name}
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-server.sh stop ${TOLVIK_WINE_DIR}/${name})
    set_tests_properties(wine-server.start.${name} PROPERTIES FIXTURES_SETUP wine-server-${name}
                         LABELS "wine;${name}" TIMEOUT 60)
    set_tests_properties(wine-server.stop.${name} PROPERTIES FIXTURES_CLEANUP wine-server-${name}
                         LABELS "wine;${name}" TIMEOUT 60)
endforeach()

# tolvik_uses_wine_prefix(test prefix): the test runs programs in the shared prefix.
function(tolvik_uses_wine_prefix test prefix)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine-server-${prefix})
endfunction()

# tolvik_add_wine_test(NAME n PREFIX win32|win64 PROGRAM exe [WITH file...] [PC description] [ARGS arg...]
#                      [LABELS label...] [TIMEOUT seconds])
# Runs PROGRAM from a fresh program folder (a name with blanks, &, ^, % and Chinese) holding the WITH files,
# with the simulated PC's state seeded from PC in a folder of its own outside the program folder.
function(tolvik_add_wine_test)
    cmake_parse_arguments(T "" "NAME;PREFIX;PROGRAM;PC;TIMEOUT" "WITH;ARGS;LABELS" ${ARGN})
    set(cmd ${PROJECT_SOURCE_DIR}/tests/wine-test.sh ${TOLVIK_WINE_DIR}/${T_PREFIX}
            ${CMAKE_BINARY_DIR}/wine-work/${T_NAME} ${T_PROGRAM})
    foreach(f ${T_WITH})
        list(APPEND cmd --with ${f})
    endforeach()
    if(T_PC)
        list(APPEND cmd --pc ${T_PC})
    endif()
    add_test(NAME ${T_NAME} COMMAND ${cmd} -- ${T_ARGS})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 600)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES LABELS "wine;${T_PREFIX};${T_LABELS}" TIMEOUT ${T_TIMEOUT})
    tolvik_uses_wine_prefix(${T_NAME} ${T_PREFIX})
    # The stand-in keeps its packages as files on the prefix's disk, so tests with a simulated PC take turns.
    if(T_PC)
        set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK simpc-${T_PREFIX})
    endif()
endfunction()
