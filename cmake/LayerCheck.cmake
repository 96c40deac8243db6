# Keeps the link graph to the layers of the code: a library never links (directly or
# through another library) one of a higher layer. Run once every library is defined;
# a violation stops the configuration with the path that breaks the rule.

set(_upper_scene velorina_sceneobjects velorina_scene velorina_shell velorina_toolcommands)
set(_platform velorina_render velorina_display velorina_sound)
set(velorina_layer_forbidden_velorina_archive
    velorina_imaging velorina_geometry velorina_records velorina_doommap velorina_audio ${_platform} ${_upper_scene})
set(velorina_layer_forbidden_velorina_imaging
    velorina_geometry velorina_records velorina_doommap velorina_audio ${_platform} ${_upper_scene})
set(velorina_layer_forbidden_velorina_geometry
    velorina_archive velorina_imaging velorina_records velorina_doommap velorina_audio ${_platform} ${_upper_scene})
set(velorina_layer_forbidden_velorina_records
    velorina_imaging velorina_doommap velorina_audio ${_platform} ${_upper_scene})
set(velorina_layer_forbidden_velorina_render velorina_records velorina_doommap velorina_audio ${_upper_scene})
set(velorina_layer_forbidden_velorina_display velorina_records velorina_doommap velorina_audio ${_upper_scene})
set(velorina_layer_forbidden_velorina_sound velorina_records velorina_doommap velorina_audio ${_upper_scene})
set(velorina_layer_forbidden_velorina_audio velorina_records velorina_doommap velorina_render velorina_display
    ${_upper_scene})
set(velorina_layer_forbidden_velorina_doommap velorina_audio ${_platform} ${_upper_scene})
set(velorina_layer_forbidden_velorina_sceneobjects velorina_scene velorina_shell velorina_toolcommands)
set(velorina_layer_forbidden_velorina_scene velorina_shell velorina_toolcommands)
set(velorina_layer_forbidden_velorina_shell velorina_toolcommands)

# Appends to OUT every velorina_* library that TARGET links, directly or not.
function(_velorina_link_closure target out)
  set(seen ${${out}})
  get_target_property(libs ${target} INTERFACE_LINK_LIBRARIES)
  if(NOT libs)
    return()
  endif()
  foreach(lib ${libs})
    if(lib MATCHES "^velorina_" AND TARGET ${lib} AND NOT lib IN_LIST seen)
      list(APPEND seen ${lib})
      set(${out} ${seen})
      _velorina_link_closure(${lib} ${out})
      set(seen ${${out}})
    endif()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(velorina_check_layers)
  foreach(lib archive imaging geometry records render display sound audio doommap sceneobjects scene shell)
    set(target velorina_${lib})
    if(NOT TARGET ${target})
      continue()
    endif()
    set(closure "")
    _velorina_link_closure(${target} closure)
    foreach(bad ${velorina_layer_forbidden_${target}})
      if(bad IN_LIST closure)
        message(FATAL_ERROR "${target} links ${bad}, a library of a higher layer: a lower layer never uses a higher one")
      endif()
    endforeach()
  endforeach()
endfunction()
