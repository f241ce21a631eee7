// Native Google Benchmark figures for reading Iconlane's two files with the portable core: a
// batch file of 30 entry lines (LineReader, SplitEntryLine, ExpandFirstVariable) and an options
// file (ItemReader, ApplyOptionItem). scripts/benchmark.sh runs it after the Wine figures.
#include <benchmark/benchmark.h>

#include <string>

#include "lane/entryline.h"
#include "platform/options.h"
#include "platform/services.h"
#include "platform/textreader.h"

namespace {

class FixedEnvironment final : public iconlane::Environment {
public:
    std::string Variable(const std::string& name) const override {
        return name == "windir" ? "C:\\Windows" : std::string();
    }
    std::string RoamingFolder() const override { return {}; }
};

std::string batchFile() {
    std::string text = "\xEF\xBB\xBF; a lane of thirty icons\r\n";
    for (int n = 1; n <= 30; ++n) {
        text += "%windir%\\notepad.exe,Notepad " + std::to_string(n) + ",C:\\Icons\\icon" +
                std::to_string(n) + ".ico\r\n";
    }
    return text;
}

void ParseBatchFile(benchmark::State& state) {
    const std::string contents = batchFile();
    const FixedEnvironment environment;
    for (auto _ : state) {
        iconlane::LineReader reader(contents);
        std::size_t entries = 0;
        while (!reader.AtEnd()) {
            const std::string line = reader.ReadLine();
            if (line.empty() || line.front() == ';') continue;
            iconlane::EntryFields fields = iconlane::SplitEntryLine(line);
            fields.target = iconlane::ExpandFirstVariable(fields.target, environment);
            benchmark::DoNotOptimize(fields);
            ++entries;
        }
        if (entries != 30) state.SkipWithError("the batch file did not give 30 entries");
    }
}
BENCHMARK(ParseBatchFile);

void ParseOptionsFile(benchmark::State& state) {
    const std::string contents =
        "; Iconlane options\r\nCLICKMODE=DOUBLE\r\nEXITDISABLED=FALSE, HELPDISABLED=TRUE\r\n"
        "RIGHTMOUSEMENUDISABLED=FALSE ; a comment, CLICKMODE=SINGLE\r\n";
    for (auto _ : state) {
        iconlane::ItemReader reader(contents);
        iconlane::Options options;
        std::string key;
        while (!reader.AtEnd()) iconlane::ApplyOptionItem(reader.ReadItem(), key, options);
        benchmark::DoNotOptimize(options);
        if (options.ClickMessage == 0) state.SkipWithError("the options file set no click mode");
    }
}
BENCHMARK(ParseOptionsFile);

}  // namespace

BENCHMARK_MAIN();
