# Chess engine benchmarks: move generation, make/take back, evaluation, perft and think.
add_executable(chess_bench ${CMAKE_CURRENT_LIST_DIR}/chess_engine.cpp)
target_link_libraries(chess_bench PRIVATE chess3d_chess benchmark::benchmark_main)
