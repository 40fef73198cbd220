# The layering of the build: the game's logic, the interfaces and the headless layer link no
# platform library, not even through another target. Checked when the build is configured.

# What counts as a platform library: SDL2 and its companions (SDL2_mixer, SDL2_ttf), OpenGL.
set(SKYRINGS_PLATFORM_LIBRARY_REGEX "SDL2|OpenGL|^GL$|^-lGL$|/libGL[.-]")

# The item a link entry names, without the generator expressions around it
# ("$<LINK_ONLY:SDL2::SDL2>" names SDL2::SDL2).
function(_skyrings_link_item entry out)
  set(item "${entry}")
  while(item MATCHES "^\\$<[A-Za-z_]+:(.*)>$")
    set(item "${CMAKE_MATCH_1}")
  endwhile()
  set(${out} "${item}" PARENT_SCOPE)
endfunction()

# Walks everything `target` links, depth first; sets `out` to the first chain that ends in a
# platform library ("a -> b -> SDL2::SDL2"), or to nothing.
function(_skyrings_platform_chain target chain out)
  set(links)
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(direct ${target} LINK_LIBRARIES)
    if(direct)
      list(APPEND links ${direct})
    endif()
  endif()
  get_target_property(exported ${target} INTERFACE_LINK_LIBRARIES)
  if(exported)
    list(APPEND links ${exported})
  endif()
  foreach(entry IN LISTS links)
    _skyrings_link_item("${entry}" item)
    if(item STREQUAL "" OR "${chain}" MATCHES "(^| -> )${item}( -> |$)")
      continue()
    endif()
    if(item MATCHES "${SKYRINGS_PLATFORM_LIBRARY_REGEX}")
      set(${out} "${chain} -> ${item}" PARENT_SCOPE)
      return()
    endif()
    if(TARGET ${item})
      _skyrings_platform_chain(${item} "${chain} -> ${item}" found)
      if(found)
        set(${out} "${found}" PARENT_SCOPE)
        return()
      endif()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

# Stops the configuration when one of `targets` links a platform library, naming the chain.
function(skyrings_require_no_platform_libraries)
  foreach(target IN LISTS ARGN)
    if(NOT TARGET ${target})
      message(FATAL_ERROR "layering: no target ${target} to check")
    endif()
    _skyrings_platform_chain(${target} "${target}" chain)
    if(chain)
      message(FATAL_ERROR "layering: ${target} must not link a platform library, but links "
                          "${chain}")
    endif()
  endforeach()
endfunction()
