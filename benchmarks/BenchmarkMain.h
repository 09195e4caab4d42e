#pragma once

#include "support/TestEnvironment.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

// Every benchmark program starts the same way: folders of its own in place of the user's, the
// kind of application object its code needs (offscreen where it draws), then Google Benchmark
// with what is left of the command line.
template <typename App>
int runBenchmarks(int argc, char** argv, bool offscreen = false)
{
    corvallen::test::isolateEnvironment();
    if (offscreen)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
