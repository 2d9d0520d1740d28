#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>

// The console reporter of every benchmark program here: it also remembers each
// benchmark's real time per iteration, in milliseconds, by its run name (with
// repetitions, the median stands for the benchmark), and once all have run it
// calls the program's summary, which prints the ratios against their floors.
class TimingReporter : public benchmark::ConsoleReporter {
public:
    using Summary = std::function<void(const TimingReporter&)>;
    explicit TimingReporter(Summary summary = {}) : m_summary(std::move(summary)) {}

    // 0 when no benchmark of that name ran.
    double milliseconds(const std::string& name) const {
        const auto found = m_times.find(name);
        return found == m_times.end() ? 0.0 : found->second;
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            m_times[run.run_name.str()] = run.GetAdjustedRealTime() * toMilliseconds(run.time_unit);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        if (m_summary)
            m_summary(*this);
    }

private:
    static double toMilliseconds(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e-6;
        case benchmark::kMicrosecond:
            return 1e-3;
        case benchmark::kMillisecond:
            return 1.0;
        default:
            return 1e3;
        }
    }

    Summary m_summary;
    std::map<std::string, double> m_times;
};
