# Native build: unit tests and the contract suite against the in-memory platform.
if(NOT TOLLERVY_TESTS)
    return()
endif()
enable_testing()
find_package(GTest REQUIRED)
find_package(Iconv REQUIRED)

file(GLOB FAKE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)
add_library(tollervy_fakes STATIC ${FAKE_SOURCES})
target_include_directories(tollervy_fakes PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(tollervy_fakes PUBLIC tollervy_core Iconv::Iconv)

file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_SOURCES})
target_link_libraries(unit_tests PRIVATE tollervy_fakes GTest::gtest_main)
add_test(NAME unit COMMAND unit_tests)

file(GLOB CONTRACT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/contract/*.cpp)
add_executable(contract_fakes ${CONTRACT_SOURCES} ${CMAKE_SOURCE_DIR}/tests/contract/main/FakeMain.cpp)
target_link_libraries(contract_fakes PRIVATE tollervy_fakes GTest::gtest)
add_test(NAME contract_fakes COMMAND contract_fakes)
