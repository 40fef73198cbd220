# The layering of the build, checked when it is configured: the game's logic, the interfaces and
# the headless layer link no platform library, and the platform layers link no logic, not even
# through another target.

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

# Walks everything `target` links, depth first; sets `out` to the first chain that ends in an item
# matching `forbidden` ("a -> b -> SDL2::SDL2"), or to nothing.
function(_skyrings_forbidden_chain target forbidden chain out)
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
    if(item MATCHES "${forbidden}")
      set(${out} "${chain} -> ${item}" PARENT_SCOPE)
      return()
    endif()
    if(TARGET ${item})
      _skyrings_forbidden_chain(${item} "${forbidden}" "${chain} -> ${item}" found)
      if(found)
        set(${out} "${found}" PARENT_SCOPE)
        return()
      endif()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

# Stops the configuration when one of the TARGETS links, directly or not, an item matching REGEX;
# the message says it must not link WHAT and names the chain.
function(skyrings_forbid_links)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "REGEX;WHAT" "TARGETS")
  foreach(target IN LISTS arg_TARGETS)
    if(NOT TARGET ${target})
      message(FATAL_ERROR "layering: no target ${target} to check")
    endif()
    _skyrings_forbidden_chain(${target} "${arg_REGEX}" "${target}" chain)
    if(chain)
      message(FATAL_ERROR "layering: ${target} must not link ${arg_WHAT}, but links ${chain}")
    endif()
  endforeach()
endfunction()

# The logic side: no SDL, OpenGL or SDL_mixer.
function(skyrings_require_no_platform_libraries)
  skyrings_forbid_links(REGEX "${SKYRINGS_PLATFORM_LIBRARY_REGEX}" WHAT "a platform library"
                        TARGETS ${ARGN})
endfunction()
