cmake_minimum_required(VERSION 3.25)
# Fails when a source includes a layer its own layer does not depend on, or
# when the core includes a Qt header. Run with -DSOURCE_DIR=<src>.
#
# Dependencies point one way: ui, app, cli -> actions -> sync, calllog,
# store -> model -> link. Windows, the desktop program and the commands reach
# the gateway through actions and never include link; nothing below them
# includes ui or app.
set(allowed_link link)
set(allowed_model model link)
set(allowed_sync sync model link)
set(allowed_store store model link)
set(allowed_calllog calllog store model link)
set(allowed_actions actions sync calllog store model link)
set(allowed_sim sim model link)
set(allowed_cli cli actions sync calllog store model sim)
set(allowed_ui ui actions sync calllog store model)
set(allowed_app app ui actions sync calllog store model sim)
set(core link model sync store calllog actions sim cli)
set(layers ${core} ui app)

set(failures "")
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE files "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      if(line MATCHES "include[ \t]*<Q" AND layer IN_LIST core)
        list(APPEND failures "${file}: ${line} (the core includes no Qt header)")
      elseif(line MATCHES "include[ \t]*[\"<]([a-z_]+)/")
        set(target "${CMAKE_MATCH_1}")
        if(target IN_LIST layers AND NOT target IN_LIST allowed_${layer})
          list(APPEND failures "${file}: ${line} (${layer} does not depend on ${target})")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Layer check failed:\n  ${text}")
endif()
