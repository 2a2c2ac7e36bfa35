# Fuzz build (clang, libFuzzer, AddressSanitizer, UBSan): one program per
# name in tests/fuzz/targets, built from tests/fuzz/<Name>Fuzz.cpp against the
# portable logic and the fakes. tools/fuzz runs them.
find_package(GTest REQUIRED)
find_package(Iconv REQUIRED)

set(FUZZ_INSTRUMENT -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
target_compile_options(tollervy_core PRIVATE ${FUZZ_INSTRUMENT})

file(GLOB FAKE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)
add_library(tollervy_fakes STATIC ${FAKE_SOURCES})
target_include_directories(tollervy_fakes PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(tollervy_fakes PRIVATE ${FUZZ_INSTRUMENT})
target_link_libraries(tollervy_fakes PUBLIC tollervy_core Iconv::Iconv GTest::gtest)

file(STRINGS ${CMAKE_SOURCE_DIR}/tests/fuzz/targets FUZZ_LINES)
foreach(line IN LISTS FUZZ_LINES)
    string(STRIP "${line}" name)
    if(name STREQUAL "" OR name MATCHES "^#")
        continue()
    endif()
    add_executable(fuzz_${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}Fuzz.cpp)
    target_include_directories(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz)
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined
                           -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(fuzz_${name} PRIVATE tollervy_fakes)
endforeach()
