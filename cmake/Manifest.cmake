# Application manifests: common controls version 6, the supported Windows versions and
# DPI awareness. The manifest is embedded as the program's resource 1 of type 24
# (RT_MANIFEST), which the loader reads when the process starts.
#
#   vardex_add_manifest(<target> "<description>")
function(vardex_add_manifest target description)
  set(MANIFEST_NAME ${target})
  set(MANIFEST_DESCRIPTION ${description})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(MANIFEST_ARCH x86)
  else()
    set(MANIFEST_ARCH amd64)
  endif()
  set(dir ${CMAKE_BINARY_DIR}/manifests)
  configure_file(${PROJECT_SOURCE_DIR}/resources/common/Program.manifest.in
                 ${dir}/${target}.manifest @ONLY)
  file(CONFIGURE OUTPUT ${dir}/${target}.manifest.rc CONTENT "1 24 \"${target}.manifest\"\n")
  set_source_files_properties(${dir}/${target}.manifest.rc PROPERTIES
                              OBJECT_DEPENDS ${dir}/${target}.manifest)
  target_sources(${target} PRIVATE ${dir}/${target}.manifest.rc)
endfunction()
