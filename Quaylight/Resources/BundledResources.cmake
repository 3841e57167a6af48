# Puts the fonts and icons listed beside this file into a Qt resource of a target, under
# ":/Fonts" and ":/Icons". The files themselves are never committed: Debian packages and
# scripts/setup.sh (npm, into .assets/node_modules) provide them.

set(QUAYLIGHT_ASSETS_DIR "${PROJECT_SOURCE_DIR}/.assets/node_modules" CACHE PATH
    "Where scripts/setup.sh installs the npm packages the application bundles")

# Reads a list file into "name|source..." entries, skipping comments and blank lines.
function(_quaylight_read_resource_list file out)
  file(STRINGS "${file}" lines)
  set(entries)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    string(REGEX REPLACE "[ \t]+" "|" line "${line}")
    list(APPEND entries "${line}")
  endforeach()
  set(${out} "${entries}" PARENT_SCOPE)
endfunction()

function(_quaylight_missing_asset what)
  message(FATAL_ERROR "${what} is missing: run scripts/setup.sh, which installs the Debian "
                      "packages and the npm packages the application bundles.")
endfunction()

function(quaylight_bundle_resources target)
  set(list_dir "${CMAKE_CURRENT_FUNCTION_LIST_DIR}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               "${list_dir}/Fonts.txt" "${list_dir}/Icons.txt")
  set(files)

  _quaylight_read_resource_list("${list_dir}/Fonts.txt" fonts)
  foreach(entry IN LISTS fonts)
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 name)
    list(GET fields 1 source)
    if(NOT IS_ABSOLUTE "${source}")
      set(source "${QUAYLIGHT_ASSETS_DIR}/${source}")
    endif()
    if(NOT EXISTS "${source}")
      _quaylight_missing_asset("The font ${source}")
    endif()
    set_source_files_properties("${source}" PROPERTIES QT_RESOURCE_ALIAS "Fonts/${name}")
    list(APPEND files "${source}")
  endforeach()

  _quaylight_read_resource_list("${list_dir}/Icons.txt" icons)
  foreach(entry IN LISTS icons)
    string(REPLACE "|" ";" fields "${entry}")
    list(POP_FRONT fields name)
    set(found "")
    foreach(candidate IN LISTS fields)
      set(path "${QUAYLIGHT_ASSETS_DIR}/lucide-static/icons/${candidate}.svg")
      if(EXISTS "${path}")
        set(found "${path}")
        break()
      endif()
    endforeach()
    if(found STREQUAL "")
      _quaylight_missing_asset("The Lucide icon ${name}")
    endif()
    set_source_files_properties("${found}" PROPERTIES QT_RESOURCE_ALIAS "Icons/${name}.svg")
    list(APPEND files "${found}")
  endforeach()

  qt_add_resources(${target} quaylight_bundle PREFIX "/" FILES ${files} OUTPUT_TARGETS resource_targets)
  # The resource's own objects stay private to the library that links them.
  if(resource_targets)
    set_target_properties(${resource_targets} PROPERTIES CXX_VISIBILITY_PRESET hidden)
  endif()
endfunction()
