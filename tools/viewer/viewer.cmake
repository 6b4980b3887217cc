# The route viewer's room (included from tools/CMakeLists.txt). The page's
# template, style and script are the files of page/; they are built into the
# program as byte arrays, so that building it needs no Node.js.
set(viewer_page_dir ${CMAKE_CURRENT_LIST_DIR}/page)
set(viewer_assets_cpp ${CMAKE_CURRENT_BINARY_DIR}/viewer/viewer_assets.cpp)
# The script's parts, joined in this order into the page's one script: they
# share one function's scope, which the first opens and the last closes.
set(viewer_script_parts data layout drawing map details controls host)
list(TRANSFORM viewer_script_parts PREPEND ${viewer_page_dir}/)
list(TRANSFORM viewer_script_parts APPEND .js)
add_custom_command(
  OUTPUT ${viewer_assets_cpp}
  COMMAND ${CMAKE_COMMAND} -DHTML=${viewer_page_dir}/viewer.html -DCSS=${viewer_page_dir}/viewer.css
          "-DJS=${viewer_script_parts}" -DOUTPUT=${viewer_assets_cpp}
          -P ${CMAKE_CURRENT_LIST_DIR}/embed_assets.cmake
  DEPENDS ${viewer_page_dir}/viewer.html ${viewer_page_dir}/viewer.css ${viewer_script_parts}
          ${CMAKE_CURRENT_LIST_DIR}/embed_assets.cmake
  COMMENT "Building the viewer's page into the program"
  VERBATIM)

scenario_room(tool_viewer DIR tools/viewer
              USES tool_authoring tool_readback tool_common scenario_compiler scenario_model scenario_encoding
              LINKS nlohmann_json::nlohmann_json)
target_sources(tool_viewer PRIVATE ${viewer_assets_cpp})
# The page rebuilds the plan from its curves with the same double
# arithmetic as the data is checked with here: no fused multiply-add.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/view_data.cpp PROPERTIES COMPILE_OPTIONS -ffp-contract=off)
