# Settings shared by the native and the Windows builds.
add_compile_options(-Wall -Wextra)

if(WIN32)
    add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601)
    # Portable program: no MinGW runtime DLLs beside it.
    add_link_options(-static -static-libgcc -static-libstdc++)
    # Scaled sizes are truncated float products: SSE arithmetic makes them the same as in the native build.
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
        add_compile_options(-msse2 -mfpmath=sse)
    endif()
    # Every program of a Windows build lands in one folder, as it ships.
    set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()

# One idiom for every library: portable sources always, *_win32.cpp sources only in the Windows builds and
# *_posix.cpp ones only natively. A library made of Windows sources alone exists only in the Windows builds.
#   tolvik_library(name SOURCES a.cpp ... WIN32_SOURCES a_win32.cpp ... POSIX_SOURCES a_posix.cpp ...
#                  DEPENDS other ... WIN32_LIBS system ... POSIX_LIBS system ...)
function(tolvik_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;WIN32_SOURCES;POSIX_SOURCES;DEPENDS;WIN32_LIBS;POSIX_LIBS" ${ARGN})
    if(WIN32)
        set(sources ${ARG_SOURCES} ${ARG_WIN32_SOURCES})
        set(libs ${ARG_WIN32_LIBS})
    else()
        if(NOT ARG_SOURCES AND NOT ARG_POSIX_SOURCES)
            return()
        endif()
        set(sources ${ARG_SOURCES} ${ARG_POSIX_SOURCES})
        set(libs ${ARG_POSIX_LIBS})
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} ${libs})
endfunction()

# GoogleTest: the system package natively, built from its sources for Windows.
macro(tolvik_find_gtest)
    if(WIN32)
        if(NOT TARGET gtest)
            set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
            set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
            add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
        endif()
        set(TOLVIK_GTEST_LIBS gtest gmock gtest_main)
    else()
        find_package(GTest REQUIRED)
        set(TOLVIK_GTEST_LIBS GTest::gtest GTest::gmock GTest::gtest_main)
    endif()
endmacro()

# tolvik_ship_stripped(target): the program as shipped carries no debugging information (it is an eighth of
# the size, and Windows maps it at every start); the information is kept beside it in <program>.debug, which
# debuggers find through the link left in the program.
function(tolvik_ship_stripped target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}> $<TARGET_FILE_NAME:${target}>.debug
        COMMAND ${CMAKE_STRIP} --strip-all $<TARGET_FILE_NAME:${target}>
        COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
                $<TARGET_FILE_NAME:${target}>
        WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
        VERBATIM)
endfunction()
