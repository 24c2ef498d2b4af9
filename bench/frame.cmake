# Frame benchmark: the game's scenes drawn by the real game in-process (chess3d-bench).
if(TARGET chess3d_game)
    pkg_check_modules(stb REQUIRED IMPORTED_TARGET stb)
    add_executable(chess3d-bench ${CMAKE_CURRENT_LIST_DIR}/frame_bench.cpp
                                 ${CMAKE_SOURCE_DIR}/tools/chess3d-shots/shot_driver.cpp
                                 ${CMAKE_SOURCE_DIR}/tools/chess3d-shots/shot_scene_start.cpp)
    target_link_libraries(chess3d-bench PRIVATE chess3d_game PkgConfig::stb)
    if(TARGET gamedata)
        add_dependencies(chess3d-bench gamedata)
    endif()
endif()

# Smoke run in the test command: every scene for a few frames, nothing timed is asserted.
if(TARGET chess3d-bench)
    add_test(NAME frame_bench_smoke COMMAND chess3d-bench --frames 3
             WORKING_DIRECTORY ${CHESS3D_BIN_DIR})
    set_tests_properties(frame_bench_smoke PROPERTIES LABELS integration
                         ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy" TIMEOUT 900)
endif()

# The load screen with a folder of large PGN files: the frames it holds up (chess3d-load-bench).
if(TARGET chess3d_game)
    add_executable(chess3d-load-bench ${CMAKE_CURRENT_LIST_DIR}/load_bench.cpp
                                      ${CMAKE_SOURCE_DIR}/tools/chess3d-shots/shot_driver.cpp)
    target_link_libraries(chess3d-load-bench PRIVATE chess3d_game PkgConfig::stb)
endif()
