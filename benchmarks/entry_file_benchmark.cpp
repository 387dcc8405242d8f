// How long the entry file takes to load, as a ratio to a plain buffered read of the same bytes:
// a full file of 50 entries, and 10 MiB of lines that hold no "ST" key (so that no entry is
// completed and only the reading and the line rules are measured). The load is the main
// window's LoadEntryFile on the in-memory platform with the real POSIX store, so it includes
// reading the file from disk (the page cache, after the first run). Lines of 1 to 16 MiB show
// how the load grows with the size. Not a test: it asserts no time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/brindlecot_dlg.h"
#include "resources/resource.h"
#include "support/fake_platform_on_disk.h"

namespace {

namespace fs = std::filesystem;
using brindlecot::CBrindlecotDlg;

constexpr size_t kMiB = 1024 * 1024;

std::string FullFile() {
    std::string out = "CREATOR=Brindlecot 1.0\r\n";
    for (int i = 50; i >= 1; --i) {
        char sort[3] = {static_cast<char>('0' + i / 10), static_cast<char>('0' + i % 10), 0};
        out += "ST=Favourite program number " + std::to_string(i) + "\r\n";
        out += "URL=C:\\Program Files\\Vendor " + std::to_string(i) + "\\program.exe\r\n";
        out += std::string("SORTORDER=") + sort + "\r\n";
        if (i > 1)
            out += "\r\n";
    }
    return out;
}

// Lines of every kind but ST: targets, sort orders, headers, empty lines, other keys, lines
// without an equals sign and keys in the wrong case.
std::string LinesWithoutSt(size_t size) {
    static const char* const kLines[] = {
        "URL=http://www.example.org/some/longer/path/to/a/page.htm?query=value\r\n",
        "SORTORDER=07\r\n",
        "CREATOR=Brindlecot 1.0\r\n",
        "\r\n",
        "COMMENT=a line with a key the reader does not know = and more\r\n",
        "a line without an equals sign, with trailing blanks    \r\n",
        "st=the title key in lower case is not the title key\n",
    };
    std::string out;
    out.reserve(size + 128);
    for (size_t i = 0; out.size() < size; ++i)
        out += kLines[i % std::size(kLines)];
    return out;
}

class Files {
  public:
    Files() {
        std::string pattern = (fs::temp_directory_path() / "brindlecot-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_root = pattern;
    }
    ~Files() { fs::remove_all(m_root); }
    // A directory whose "brcot.dat" holds `bytes`.
    std::string Put(const std::string& name, const std::string& bytes) {
        const fs::path dir = m_root / name;
        fs::create_directories(dir);
        std::ofstream(dir / "brcot.dat", std::ios::binary) << bytes;
        return dir.string();
    }

  private:
    fs::path m_root;
};

// A plain buffered read of the whole file into a new string, as any program would do it.
void PlainRead(benchmark::State& state, const std::string& dir) {
    const std::string path = dir + "/brcot.dat";
    char buffer[65536];
    size_t size = 0;
    for (auto _ : state) {
        std::string content;
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) {
            state.SkipWithError("cannot open");
            return;
        }
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            content.append(buffer, n);
        std::fclose(f);
        benchmark::DoNotOptimize(content.data());
        size = content.size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// The main window's LoadEntryFile on a file in `dir`, with an emptied table each time.
void Load(benchmark::State& state, const std::string& dir, int expectedRows) {
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    {
        brindlecot::fake::FakePlatformOnDisk platform;
        CBrindlecotDlg dlg(platform);
        brindlecot::fake::FakeDialogWindow& w = platform.Open(dlg, IDD_BRINDLECOT_DIALOG);
        const auto size = static_cast<int64_t>(fs::file_size("brcot.dat"));
        for (auto _ : state) {
            state.PauseTiming();
            platform.boxAnswers.push_back(brindlecot::win::kIdYes);
            w.Click(IDC_CLEARALL);
            platform.log.clear();
            platform.boxes.clear();
            state.ResumeTiming();
            dlg.LoadEntryFile();
        }
        if (dlg.m_listEntries.GetItemCount() != expectedRows || !platform.boxes.empty()) {
            state.SkipWithError("the load gave an unexpected table");
        }
        state.SetBytesProcessed(state.iterations() * size);
        // The window is not closed: the end of its run would save the emptied table over the
        // file. The dialog goes before the platform that holds its window.
    }
    fs::current_path(before);
}

// Collects the time per iteration of every run, and prints the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            auto [it, added] = m_seconds.emplace(run.benchmark_name(), seconds);
            if (!added)
                it->second = std::min(it->second, seconds);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const {
        std::printf("\nLoad time as a ratio to a plain buffered read of the same bytes:\n");
        for (const auto& [name, label] : {std::pair{"full50", "full 50-entry file"},
                                          std::pair{"lines10MiB", "10 MiB of lines without ST"}}) {
            Print(label, "Load/" + std::string(name), "PlainRead/" + std::string(name));
        }
        std::printf("\nLoad time per byte by size (linear when the figures stay level):\n");
        for (const int mib : {1, 4, 16}) {
            const auto it = m_seconds.find("Load/lines/" + std::to_string(mib) + "MiB");
            if (it == m_seconds.end())
                continue;
            std::printf("  %2d MiB: %6.2f ns/byte\n", mib,
                        it->second * 1e9 / static_cast<double>(static_cast<size_t>(mib) * kMiB));
        }
    }

  private:
    void Print(const char* label, const std::string& load, const std::string& plain) const {
        const auto l = m_seconds.find(load);
        const auto p = m_seconds.find(plain);
        if (l == m_seconds.end() || p == m_seconds.end())
            return;
        std::printf("  %-28s load %10.1f us, plain read %10.1f us, ratio %6.1f\n", label,
                    l->second * 1e6, p->second * 1e6, l->second / p->second);
    }

    std::map<std::string, double> m_seconds;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    Files files;
    const std::string full = files.Put("full50", FullFile());
    const std::string lines = files.Put("lines10MiB", LinesWithoutSt(10 * kMiB));
    benchmark::RegisterBenchmark("PlainRead/full50", PlainRead, full);
    benchmark::RegisterBenchmark("Load/full50", Load, full, 50);
    benchmark::RegisterBenchmark("PlainRead/lines10MiB", PlainRead, lines)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Load/lines10MiB", Load, lines, 0)->Unit(benchmark::kMillisecond);
    for (const int mib : {1, 4, 16}) {
        const std::string name = "lines/" + std::to_string(mib) + "MiB";
        const std::string dir = files.Put("lines" + std::to_string(mib),
                                          LinesWithoutSt(static_cast<size_t>(mib) * kMiB));
        benchmark::RegisterBenchmark(("Load/" + name).c_str(), Load, dir, 0)
            ->Unit(benchmark::kMillisecond);
    }

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
