# cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DCXX=... -DPKG_CONFIG=... -DREFERENCE_HOST=... -P InstallAndConsume.cmake
#
# Installs the build into a temporary prefix, builds examples/consumer against it through find_package,
# runs it on the installed sample, and checks its picture (size and every byte, by SHA-256) against what
# the installed lumenar tool reports and what the installed module delivers to a host (the reference host,
# which writes the module's tiles as raw RGBA). Then compiles the consumer once more with pkg-config's
# flags and checks that program's picture too. The temporary folder is removed on every way out.
cmake_minimum_required(VERSION 3.20)

string(RANDOM LENGTH 8 suffix)
set(work "${BUILD_DIR}/install-test-${suffix}")
set(prefix "${work}/prefix")

function(fail message)
  file(REMOVE_RECURSE "${work}")
  message(FATAL_ERROR "${message}")
endfunction()

# Runs a command; fails the test with its output unless it succeeds. The standard output goes to outVar.
function(run outVar)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    fail("${ARGN}\nexited with ${status}:\n${out}\n${err}")
  endif()
  set(${outVar} "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${work}")
run(ignored ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")

set(sample "${prefix}/share/lumenar5/showcase.lmn")
foreach(installed bin/lumenar lib/lumenar5/Lumenar5.so lib/pkgconfig/lumenar5.pc
                  lib/cmake/Lumenar5/Lumenar5Config.cmake include/lumenar5/Src/Tarnwick/LImageFile.h
                  share/lumenar5/showcase.lmn)
  if(NOT EXISTS "${prefix}/${installed}")
    fail("${installed} was not installed")
  endif()
endforeach()

# find_package(Lumenar5) and Lumenar5::engine.
run(ignored ${CMAKE_COMMAND} -S "${SOURCE_DIR}/examples/consumer" -B "${work}/consumer"
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release)
run(ignored ${CMAKE_COMMAND} --build "${work}/consumer")
run(size "${work}/consumer/lumenar_consumer" "${sample}" "${work}/consumer.rgba")

# What the installed tool says of the document, and what the installed module delivers.
run(width "${prefix}/bin/lumenar" info -f width "${sample}")
run(height "${prefix}/bin/lumenar" info -f height "${sample}")
string(STRIP "${width}" width)
string(STRIP "${height}" height)
run(flattened "${prefix}/bin/lumenar" flatten --discard "${sample}")
if(NOT flattened MATCHES "\\(${width} x ${height}\\)")
  fail("the installed tool read ${flattened}")
endif()
string(STRIP "${size}" size)
if(NOT size STREQUAL "${width} x ${height}")
  fail("the consumer read ${size}, the tool ${width} x ${height}")
endif()
run(ignored "${REFERENCE_HOST}" "${prefix}/lib/lumenar5/Lumenar5.so" "${sample}" "${work}/module.rgba")
file(SHA256 "${work}/module.rgba" expected)
file(SHA256 "${work}/consumer.rgba" seen)
file(SIZE "${work}/consumer.rgba" bytes)
math(EXPR wanted "${width} * ${height} * 4")
if(NOT bytes EQUAL wanted OR NOT seen STREQUAL expected)
  fail("the consumer's picture (${bytes} bytes, ${seen}) is not the module's (${wanted} bytes, ${expected})")
endif()

# The same program through pkg-config.
if(PKG_CONFIG)
  set(ENV{PKG_CONFIG_PATH} "${prefix}/lib/pkgconfig")
  run(cflags "${PKG_CONFIG}" --cflags lumenar5)
  run(libs "${PKG_CONFIG}" --libs lumenar5)
  separate_arguments(cflags UNIX_COMMAND "${cflags}")
  separate_arguments(libs UNIX_COMMAND "${libs}")
  run(ignored "${CXX}" -std=c++20 ${cflags} "${SOURCE_DIR}/examples/consumer/FlattenDocument.cpp" ${libs}
      -o "${work}/consumer-pc")
  run(size "${work}/consumer-pc" "${sample}" "${work}/consumer-pc.rgba")
  file(SHA256 "${work}/consumer-pc.rgba" seen)
  if(NOT seen STREQUAL expected)
    fail("the pkg-config build's picture differs from the module's")
  endif()
else()
  fail("pkg-config is not installed")
endif()

file(REMOVE_RECURSE "${work}")
message(STATUS "installed, built against with find_package and pkg-config: ${width} x ${height}, sha256 ${expected}")
