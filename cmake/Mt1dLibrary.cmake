# One static library per folder, each on a layer. A library may link only libraries on lower
# layers; mt1d_check_layers() refuses the configuration when one links a library on its own
# layer or above, so that the picture in docs/architecture.md stays true.
#
#     mt1d_library(mt1d_fitting LAYER 2 FitData.h FitData.cpp ...)
#     target_link_libraries(mt1d_fitting PUBLIC mt1d_sounding)
#
# Every project header is included by its path from the repository's root
# (#include "fitting/LayeredFit.h"), so each library puts the root on its include path.

if(NOT DEFINED MT1D_ROOT)
  get_filename_component(MT1D_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

if(NOT TARGET mt1d_warnings)
  add_library(mt1d_warnings INTERFACE)
  # No -ffast-math: the decompositions and the stopping tests depend on IEEE semantics.
  target_compile_options(mt1d_warnings INTERFACE -Wall -Wextra)
endif()

function(mt1d_library name)
  cmake_parse_arguments(ARG "" "LAYER" "" ${ARGN})
  if(NOT DEFINED ARG_LAYER)
    message(FATAL_ERROR "mt1d_library(${name}): LAYER is required")
  endif()
  add_library(${name} STATIC ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PUBLIC ${MT1D_ROOT})
  target_link_libraries(${name} PRIVATE mt1d_warnings)
  if(MT1D_BUILD_PYTHON)
    # Linked into the Python module, a shared object. Nothing of mt1d is interposed at run
    # time: -fno-semantic-interposition lets the compiler inline across functions as it does
    # without -fPIC, so that the programs linking the same libraries are not slowed.
    set_property(TARGET ${name} PROPERTY POSITION_INDEPENDENT_CODE ON)
    target_compile_options(${name} PRIVATE -fno-semantic-interposition)
  endif()
  set_property(TARGET ${name} PROPERTY MT1D_LAYER ${ARG_LAYER})
  set_property(GLOBAL APPEND PROPERTY MT1D_LIBRARIES ${name})
endfunction()

# Refuses any link from a library to one on the same layer or above.
function(mt1d_check_layers)
  get_property(libraries GLOBAL PROPERTY MT1D_LIBRARIES)
  set(faults "")
  foreach(lib IN LISTS libraries)
    get_property(layer TARGET ${lib} PROPERTY MT1D_LAYER)
    get_property(links TARGET ${lib} PROPERTY LINK_LIBRARIES)
    foreach(dep IN LISTS links)
      if(dep IN_LIST libraries)
        get_property(dep_layer TARGET ${dep} PROPERTY MT1D_LAYER)
        if(NOT dep_layer LESS layer)
          string(APPEND faults "\n  ${lib} (layer ${layer}) links ${dep} (layer ${dep_layer})")
        endif()
      endif()
    endforeach()
  endforeach()
  if(faults)
    message(FATAL_ERROR "A library links one on its own layer or above:${faults}\n"
                        "Move the shared code down a layer (docs/architecture.md).")
  endif()
endfunction()
