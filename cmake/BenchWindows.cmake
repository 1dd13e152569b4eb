# The install benchmark's Windows programs (make bench). None of them is a test: the benchmark
# measures, it does not pass or fail, so nothing here is registered with CTest.

# The yardstick: the payload written with plain WriteFile and zlib, linked statically like ziplib.
add_executable(IdealExtractor ${VQ_IDEAL_EXTRACTOR_SOURCES})
target_include_directories(IdealExtractor PRIVATE src)
target_link_libraries(IdealExtractor PRIVATE ${VQ_MINGW_ZLIB} kernel32)
target_link_options(IdealExtractor PRIVATE -municode)

# Starts a program and reads its time, peak working set and first window from the Windows side.
add_executable(BenchLaunch ${VQ_BENCH_LAUNCH_SOURCES})
target_include_directories(BenchLaunch PRIVATE src)
target_link_libraries(BenchLaunch PRIVATE psapi user32 kernel32)
target_link_options(BenchLaunch PRIVATE -municode)

# The setup's own archive reader timed over the resource of a built VQSetup.exe.
add_executable(BenchLoad ${VQ_BENCH_LOAD_SOURCES})
target_link_libraries(BenchLoad PRIVATE vqsetup_core)
target_link_options(BenchLoad PRIVATE -municode)

# The yardstick of the start: a window and nothing else, to compare the setup's first window with.
add_executable(MinimalWindow WIN32 ${VQ_MINIMAL_WINDOW_SOURCES})
target_link_options(MinimalWindow PRIVATE -municode)

foreach(target IdealExtractor BenchLaunch BenchLoad MinimalWindow)
    vq_own_code(${target})
endforeach()
