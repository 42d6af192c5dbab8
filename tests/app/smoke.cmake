# The real window under a virtual X server, only where one can be started.
find_program(GLIMRA_XVFB_RUN xvfb-run)
if(GLIMRA_XVFB_RUN)
  add_test(NAME app_window_smoke
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/smoke.sh $<TARGET_FILE:glimra> $<TARGET_FILE:glimra_samplegen>)
  set_tests_properties(app_window_smoke PROPERTIES LABELS gl SKIP_RETURN_CODE 77 TIMEOUT 180)
endif()
if(GLIMRA_XVFB_RUN)
  # Tool windows glued by dragging their captions on the real screen.
  add_test(NAME app_glue_smoke
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/gluesmoke.sh $<TARGET_FILE:glimra> $<TARGET_FILE:glimra_samplegen>)
  set_tests_properties(app_glue_smoke PROPERTIES LABELS gl SKIP_RETURN_CODE 77 TIMEOUT 90)
endif()
if(GLIMRA_XVFB_RUN)
  # Held keys and typed times as the X server's own keyboard sends them.
  add_test(NAME app_keys_smoke
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/keysmoke.sh $<TARGET_FILE:glimra> $<TARGET_FILE:glimra_samplegen>)
  set_tests_properties(app_keys_smoke PROPERTIES LABELS gl SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()
