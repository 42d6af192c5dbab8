# The real window under a virtual X server of each test's own, only where one can be started.
find_program(GLIMRA_XVFB Xvfb)

# A script that runs the program on the sample models under the server; 77 skips it.
function(glimra_smoke_test name script timeout)
  add_test(NAME ${name}
           COMMAND bash ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${script} $<TARGET_FILE:glimra>
                   $<TARGET_FILE:glimra_samplegen>)
  set_tests_properties(${name} PROPERTIES LABELS gl SKIP_RETURN_CODE 77 TIMEOUT ${timeout}
                       ENVIRONMENT "FONTCONFIG_FILE=${GLIMRA_TEST_FONTCONFIG}")
endfunction()

# The limits are far above a run's time: each step waits for what it needs to see, and
# the limit matters only on a machine loaded far beyond its cores (the keys' test took 230 s
# beside three busy loops per processor).
if(GLIMRA_XVFB)
  glimra_smoke_test(app_window_smoke smoke.sh 900)
  # Tool windows glued by dragging their captions on the real screen.
  glimra_smoke_test(app_glue_smoke gluesmoke.sh 900)
  # Held keys and typed times as the X server's own keyboard sends them.
  glimra_smoke_test(app_keys_smoke keysmoke.sh 900)
  # A quit signal in the middle of a frame of a huge model.
  glimra_smoke_test(app_quit_smoke quitsmoke.sh 900)
endif()
