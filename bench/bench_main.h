#pragma once

#include <benchmark/benchmark.h>

// Runs the registered benchmarks inside a Qt application object of the given kind, so that
// sockets, timers and widgets have their event loop.
template <typename Application>
int runBenchmarks(int argc, char** argv)
{
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
