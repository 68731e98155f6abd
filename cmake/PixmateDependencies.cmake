# Third-party libraries, all from Debian's packages (see scripts/bootstrap). Every build exposes
# them under the same target names, so component CMakeLists never ask which build they are in:
#   pixmate::boost      Boost headers (Asio, Beast)
#   pixmate::rapidjson  RapidJSON headers
#   PNG::PNG, ZLIB::ZLIB
#   Threads::Threads
#   GTest::gtest, GTest::gtest_main, GTest::gmock
#   benchmark::benchmark (native only)

find_package(Threads REQUIRED)

add_library(pixmate_boost INTERFACE)
add_library(pixmate::boost ALIAS pixmate_boost)
add_library(pixmate_rapidjson INTERFACE)
add_library(pixmate::rapidjson ALIAS pixmate_rapidjson)

if(CMAKE_CROSSCOMPILING)
  # The host's /usr/include must not be on the cross compiler's path (its C library headers
  # would shadow MinGW's), so the header-only libraries are reached through links to just their
  # own folders.
  set(host_include ${CMAKE_BINARY_DIR}/host-include)
  file(MAKE_DIRECTORY ${host_include})
  foreach(lib boost rapidjson)
    if(NOT EXISTS /usr/include/${lib})
      message(FATAL_ERROR "/usr/include/${lib} is missing: run scripts/bootstrap")
    endif()
    file(CREATE_LINK /usr/include/${lib} ${host_include}/${lib} SYMBOLIC)
  endforeach()
  target_include_directories(pixmate_boost SYSTEM INTERFACE ${host_include})
  target_include_directories(pixmate_rapidjson SYSTEM INTERFACE ${host_include})
  target_link_libraries(pixmate_boost INTERFACE ws2_32 mswsock)

  # libpng is cross-built by scripts/bootstrap into this prefix; zlib is Debian's MinGW package.
  set(PIXMATE_DEPS_PREFIX "${CMAKE_SOURCE_DIR}/build/deps/i686-w64-mingw32"
      CACHE PATH "Prefix holding the cross-built libpng")
  find_library(PIXMATE_PNG_LIB NAMES libpng16.a libpng.a PATHS ${PIXMATE_DEPS_PREFIX}/lib
               NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_path(PIXMATE_PNG_INCLUDE png.h PATHS ${PIXMATE_DEPS_PREFIX}/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT PIXMATE_PNG_LIB OR NOT PIXMATE_PNG_INCLUDE)
    message(FATAL_ERROR "cross-built libpng not found in ${PIXMATE_DEPS_PREFIX}: run scripts/bootstrap")
  endif()
  find_library(PIXMATE_ZLIB_LIB NAMES libz.a REQUIRED)
  add_library(ZLIB::ZLIB STATIC IMPORTED)
  set_target_properties(ZLIB::ZLIB PROPERTIES IMPORTED_LOCATION ${PIXMATE_ZLIB_LIB})
  add_library(PNG::PNG STATIC IMPORTED)
  set_target_properties(PNG::PNG PROPERTIES IMPORTED_LOCATION ${PIXMATE_PNG_LIB}
                                            INTERFACE_INCLUDE_DIRECTORIES ${PIXMATE_PNG_INCLUDE}
                                            INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)

  # GoogleTest from the sources Debian ships in /usr/src/googletest.
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # (GoogleTest's own CMake defines the GTest:: aliases.)
  set(PIXMATE_BENCHMARKS OFF)
else()
  find_package(Boost 1.81 REQUIRED CONFIG)
  target_link_libraries(pixmate_boost INTERFACE Boost::headers)
  find_package(RapidJSON QUIET CONFIG)
  find_path(PIXMATE_RAPIDJSON_INCLUDE rapidjson/document.h REQUIRED)
  target_include_directories(pixmate_rapidjson SYSTEM INTERFACE ${PIXMATE_RAPIDJSON_INCLUDE})
  find_package(ZLIB REQUIRED)
  find_package(PNG REQUIRED)
  find_package(GTest REQUIRED)
  if(PIXMATE_BENCHMARKS)
    find_package(benchmark REQUIRED)
  endif()
endif()

# Beast and Asio are heavy: only the translation units that implement the server include them.
target_compile_definitions(pixmate_boost INTERFACE BOOST_ASIO_NO_DEPRECATED
                                                   BOOST_BEAST_USE_STD_STRING_VIEW)
