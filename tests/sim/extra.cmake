# Each tests/sim/hid/model_*.cpp registers a simulated model from a static
# object; ask for its anchor symbol so the linker keeps it in every test.
file(GLOB HIDSIM_MODEL_FILES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/hid/model_*.cpp)
foreach(f ${HIDSIM_MODEL_FILES})
  get_filename_component(model ${f} NAME_WE)
  target_link_options(hidsim INTERFACE "LINKER:--undefined=hidsim_anchor_${model}")
endforeach()
