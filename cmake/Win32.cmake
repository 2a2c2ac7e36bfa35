# Windows build (MinGW-w64): the product Tollervy.exe and, with TOLLERVY_TESTS,
# the test programs that run under Wine.
enable_language(RC)

# The product runs on Windows XP: only what XP declares is visible.
set(TOLLERVY_WIN32_DEFINITIONS UNICODE _UNICODE _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600)
set(TOLLERVY_STATIC_LINK -static -static-libgcc -static-libstdc++)

# The Win32 layer without the program's entry, so that test programs can use
# the platform implementations and the window host.
file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/win32/*.cpp)
list(FILTER WIN32_SOURCES EXCLUDE REGEX "/WinMain\\.cpp$")
add_library(tollervy_win32 STATIC ${WIN32_SOURCES})
target_include_directories(tollervy_win32 PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(tollervy_win32 PUBLIC ${TOLLERVY_WIN32_DEFINITIONS})
target_link_libraries(tollervy_win32 PUBLIC tollervy_core comctl32 shell32 ole32 uuid gdi32 user32 advapi32 version)

# The version header and the manifest, made from the project's version; the
# resource compiler finds both in the generated folder.
set(TOLLERVY_GENERATED ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${TOLLERVY_GENERATED}/version.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/Tollervy.exe.manifest.in ${TOLLERVY_GENERATED}/Tollervy.exe.manifest @ONLY)
include_directories(${TOLLERVY_GENERATED})

set(TOLLERVY_RESOURCES ${CMAKE_SOURCE_DIR}/resources/Tollervy.rc)
# The layouts included by Tollervy.rc (one file per form or page).
file(GLOB_RECURSE TOLLERVY_RESOURCE_PARTS CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/resources/*.rc ${CMAKE_SOURCE_DIR}/resources/*.h)
list(REMOVE_ITEM TOLLERVY_RESOURCE_PARTS ${CMAKE_SOURCE_DIR}/resources/Tollervy.rc)
set_source_files_properties(${TOLLERVY_RESOURCES} PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/Tollervy.ico;${TOLLERVY_GENERATED}/version.h;${TOLLERVY_GENERATED}/Tollervy.exe.manifest;${TOLLERVY_RESOURCE_PARTS}")

# The product: the Win32 layer, its entry and the resources.
add_executable(Tollervy WIN32 ${CMAKE_SOURCE_DIR}/src/win32/WinMain.cpp ${TOLLERVY_RESOURCES})
set_target_properties(Tollervy PROPERTIES OUTPUT_NAME Tollervy)
# The ANSI entry (WinMain): its start-up code calls no wide-character
# function, so Windows 98 gets as far as the program's own refusal.
target_link_libraries(Tollervy PRIVATE tollervy_win32 tollervy_core)
target_link_options(Tollervy PRIVATE ${TOLLERVY_STATIC_LINK} -mwindows)
# The shipped file carries no symbols; they go to Tollervy.exe.debug beside
# it (linked by name), for reading the addresses of a crash report.
if(NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    add_custom_command(TARGET Tollervy POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:Tollervy> $<TARGET_FILE:Tollervy>.debug
        COMMAND ${CMAKE_STRIP} --strip-all $<TARGET_FILE:Tollervy>
        COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE:Tollervy>.debug $<TARGET_FILE:Tollervy>
        WORKING_DIRECTORY $<TARGET_FILE_DIR:Tollervy>
        VERBATIM)
endif()
# The readme ships beside the program (code page 932, CR LF, as it is kept).
add_custom_command(TARGET Tollervy POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/resources/readme.txt
            $<TARGET_FILE_DIR:Tollervy>/readme.txt)

if(NOT TOLLERVY_TESTS)
    return()
endif()
enable_testing()

# GoogleTest from its Debian source, built with this compiler (the posix
# thread model; the wine preset selects it).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The contract suite against the real file system and profile functions, and
# the window host's own tests. Run under Wine.
file(GLOB CONTRACT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/contract/*.cpp)
file(GLOB WINE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*.cpp)
# The dialog templates the host tests use come with the resources.
add_executable(contract_win32 ${CONTRACT_SOURCES} ${CMAKE_SOURCE_DIR}/tests/contract/main/Win32Main.cpp
    ${WINE_TEST_SOURCES} ${TOLLERVY_RESOURCES})
target_include_directories(contract_win32 PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(contract_win32 PRIVATE tollervy_win32 tollervy_core gtest)
target_link_options(contract_win32 PRIVATE ${TOLLERVY_STATIC_LINK})
add_test(NAME contract_win32 COMMAND contract_win32)

# A window that shows and closes itself at once: the start-time baseline.
add_executable(minimal_gui WIN32 ${CMAKE_SOURCE_DIR}/bench/baseline/MinimalGui.cpp)
target_compile_definitions(minimal_gui PRIVATE UNICODE _UNICODE)
target_compile_options(minimal_gui PRIVATE -municode)
target_link_options(minimal_gui PRIVATE ${TOLLERVY_STATIC_LINK} -municode -mwindows)

# The benchmarks are built with the test programs, so that a change of the
# interfaces they use cannot break them unseen.
add_subdirectory(bench)

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
    add_subdirectory(tests/e2e)
endif()
