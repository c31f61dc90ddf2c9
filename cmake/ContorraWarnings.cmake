# Our presets and CI turn warnings into errors; a plain build only shows them,
# so a packager's newer or older compiler with new (or false) warnings still builds.
option(CONTORRA_WERROR "Treat warnings in our own code as errors" OFF)

# Third-party headers come in as SYSTEM, so only our code is held to this.
function(contorra_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(CONTORRA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Collects the sources of one folder; new files are seen without editing CMake.
function(contorra_sources out dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

# One library per layer folder; a folder without sources yet is an interface target.
function(contorra_layer name dir type)
  contorra_sources(srcs ${dir})
  if(srcs)
    add_library(${name} ${type} ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    contorra_warnings(${name})
    set(scope PUBLIC)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
  endif()
endfunction()

# Links a layer target, whichever kind contorra_layer made of it.
function(contorra_link name)
  get_target_property(kind ${name} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${name} INTERFACE ${ARGN})
  else()
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()
