# The consumer test: installs the build into WORK_DIR/prefix, builds tests/consumer
# against it with find_package, builds the same program from oc.pc when pkg-config is
# there, runs both and the installed octool, and imports the installed Python module
# when PYTHON names an interpreter.
#   cmake -DBUILD_DIR=.. -DSOURCE_DIR=.. -DWORK_DIR=.. -DCXX=.. [-DFLAGS=..] [-DPYTHON=..]
#         -P run_consumer.cmake
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc})")
  endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
run("configuring the consumer" ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix}
    "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
run("building the consumer" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run("the consumer" ${WORK_DIR}/build/oc_consumer)

find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  file(GLOB pc_file ${prefix}/lib*/pkgconfig/oc.pc ${prefix}/lib/*/pkgconfig/oc.pc)
  get_filename_component(pc_dir "${pc_file}" DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} ${pc_dir})
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs oc OUTPUT_VARIABLE pc_flags
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
  separate_arguments(extra UNIX_COMMAND "${FLAGS}")
  execute_process(COMMAND ${PKG_CONFIG} --variable=libdir oc OUTPUT_VARIABLE libdir
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  run("building the consumer from oc.pc" ${CXX} -std=c++20 ${extra} ${SOURCE_DIR}/main.cpp
      ${pc_flags} -Wl,-rpath,${libdir} -o ${WORK_DIR}/oc_consumer_pc)
  run("the consumer built from oc.pc" ${WORK_DIR}/oc_consumer_pc)
endif()

run("the installed octool" ${prefix}/bin/octool --help)

if(PYTHON)
  file(GLOB_RECURSE init ${prefix}/__init__.py)
  list(FILTER init INCLUDE REGEX "/oc/__init__.py$")
  get_filename_component(package "${init}" DIRECTORY)
  get_filename_component(site "${package}" DIRECTORY)
  set(ENV{PYTHONPATH} ${site})
  run("importing the installed Python module" ${PYTHON} -c
      "import oc, sys\nassert oc.__file__.startswith(sys.argv[1]), oc.__file__\nprint(oc.__file__)"
      ${prefix})
endif()
