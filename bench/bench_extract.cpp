// Extraction speed: ExtractFromMemory against a plain zlib loop with the
// same 16 KiB buffers, both inflating every member of a container shaped
// like the shipped payload (22 members, about 2 MB inflated, about 0.9 MB
// compressed) into real files. Prints the ratio engine / zlib at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "payload/container.h"
#include "payload/container_writer.h"
#include "payload/extract.h"
#include "tools/common/stdio_fs.h"

namespace {

namespace fs = std::filesystem;

struct Shape {
    const char* name;
    std::size_t size;
};

// Names and inflated sizes of the shipped payload's members.
constexpr Shape kShapes[] = {
    {"CHISMPL.DLL", 4608},          {"CHISMPL.DLL.x64", 4608},        {"CHITRAD.DLL", 4608},
    {"CHITRAD.DLL.x64", 4608},      {"ENGLISH.DLL", 6144},            {"ENGLISH.DLL.x64", 6144},
    {"Image.dll", 83968},           {"Image.dll.x64", 88576},         {"InstallConfig_cn.txt", 1728},
    {"InstallConfig_en.txt", 2698}, {"InstallConfig_tn.txt", 1714},   {"plotter.dll", 116224},
    {"plotter.dll.x64", 127488},    {"plotui.dll", 607744},           {"plotui.dll.x64", 619008},
    {"Rad80PrinterMon.dll", 30720}, {"Rad80PrinterMon.dll.x64", 33792}, {"Rad80PrinterMonUI.dll", 29288},
    {"Rad80PrinterMonUI.dll.x64", 26640}, {"PrinterName.txt", 1180}, {"UNIDRV.HLP", 21225},
    {"Uninstaller.exe", 237568},
};

// Blocks of random bytes (which do not compress) between blocks of words
// and repeated records (which do), in a proportion that gives the shipped
// payload's ratio of about 0.44.
std::vector<std::uint8_t> MakeContents(std::size_t size, unsigned seed) {
    static const char* const kWords[] = {"Printer", "Label", "driver", " ", "\r\n", "0x00",
                                         "SetupDi", "Port",  "\t",     "GPC", "form", "100 mm"};
    std::mt19937 gen(seed);
    std::vector<std::uint8_t> out;
    out.reserve(size);
    while (out.size() < size) {
        const std::size_t block = 512 + gen() % 1536;
        const bool random = gen() % 100 < 22;
        for (std::size_t i = 0; i < block && out.size() < size; ++i) {
            if (random) {
                out.push_back(static_cast<std::uint8_t>(gen()));
            } else {
                const char* word = kWords[gen() % (sizeof kWords / sizeof kWords[0])];
                for (; *word && out.size() < size; ++word, ++i) out.push_back(static_cast<std::uint8_t>(*word));
            }
        }
    }
    return out;
}

struct Fixture {
    std::vector<std::uint8_t> container;
    std::vector<payload::EntryView> entries;
    std::vector<core::u16> outputs;
    std::vector<std::string> nativeOutputs;
    fs::path folder;
    std::size_t inflated = 0;

    Fixture() {
        std::vector<payload::PackMember> members;
        unsigned seed = 1;
        for (const auto& shape : kShapes) {
            members.push_back({shape.name, MakeContents(shape.size, seed++)});
            inflated += shape.size;
        }
        if (!payload::BuildResourceForm(members, &container).ok()) std::abort();
        std::random_device random;
        folder = fs::temp_directory_path() / ("bench_extract_" + std::to_string(random()));
        fs::create_directories(folder);
        payload::EntryCursor cursor = payload::ResourceEntries(container.data(), container.size());
        payload::EntryView entry;
        while (cursor.Next(&entry)) {
            entries.push_back(entry);
            const fs::path out = folder / std::string(entry.name);
            outputs.push_back(tools::StdioFileSystem::FromNative(out));
            nativeOutputs.push_back(out.string());
        }
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void BM_Engine(benchmark::State& state) {
    Fixture& f = TheFixture();
    tools::StdioFileSystem stdio;
    int lastPosition = 0;
    const payload::ProgressSink progress = [&lastPosition](int position) { lastPosition = position; };
    for (auto _ : state) {
        std::int32_t counter = 0;
        for (std::size_t i = 0; i < f.entries.size(); ++i) {
            const int result = payload::ExtractFromMemory(
                f.entries[i].data, static_cast<std::int32_t>(f.entries[i].compressedLength), f.outputs[i], &counter,
                static_cast<std::int32_t>(f.container.size()), stdio, progress);
            if (result != 0) state.SkipWithError("extraction failed");
        }
        if (static_cast<std::size_t>(counter) != f.inflated) state.SkipWithError("wrong byte count");
    }
    benchmark::DoNotOptimize(lastPosition);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.inflated));
}

// The same work without the engine: zlib's own loop, 16 KiB buffers, stdio.
bool InflateToFile(const std::uint8_t* data, std::size_t size, const char* path) {
    z_stream strm{};
    if (inflateInit(&strm) != Z_OK) return false;
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        inflateEnd(&strm);
        return false;
    }
    static thread_local std::uint8_t in[payload::kExtractBufferSize];
    static thread_local std::uint8_t out[payload::kExtractBufferSize];
    int result = Z_OK;
    bool ok = true;
    while (ok && size > 0 && result != Z_STREAM_END) {
        const std::size_t chunk = size < sizeof in ? size : sizeof in;
        std::memcpy(in, data, chunk);
        data += chunk;
        size -= chunk;
        strm.next_in = in;
        strm.avail_in = static_cast<uInt>(chunk);
        do {
            strm.next_out = out;
            strm.avail_out = sizeof out;
            result = inflate(&strm, Z_NO_FLUSH);
            if (result == Z_DATA_ERROR || result == Z_MEM_ERROR || result == Z_NEED_DICT) ok = false;
            const std::size_t produced = sizeof out - strm.avail_out;
            if (ok && std::fwrite(out, 1, produced, file) != produced) ok = false;
        } while (ok && strm.avail_out == 0);
    }
    inflateEnd(&strm);
    return std::fclose(file) == 0 && ok;
}

void BM_Zlib(benchmark::State& state) {
    Fixture& f = TheFixture();
    for (auto _ : state) {
        for (std::size_t i = 0; i < f.entries.size(); ++i)
            if (!InflateToFile(f.entries[i].data, f.entries[i].compressedLength, f.nativeOutputs[i].c_str()))
                state.SkipWithError("zlib extraction failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.inflated));
}

// Wall-clock time, since writing the files is part of the work; repeated
// and interleaved so that the file system's hiccups hit both sides alike.
BENCHMARK(BM_Engine)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.4)->Repetitions(5);
BENCHMARK(BM_Zlib)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.4)->Repetitions(5);

// Keeps each benchmark's median time per iteration for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred) {
                wall[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpu[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> wall, cpu;
};

void PrintRatio(const char* what, const std::map<std::string, double>& times) {
    const auto engine = times.find("BM_Engine");
    const auto zlib = times.find("BM_Zlib");
    if (engine == times.end() || zlib == times.end() || zlib->second <= 0) return;
    std::printf("engine/zlib ratio, median %s time: %.3f (goal: at most 1.10)\n", what,
                engine->second / zlib->second);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);  // a later argument may turn it off
    argc = static_cast<int>(args.size());
    args.push_back(nullptr);
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const Fixture& f = TheFixture();
    std::printf("container: %zu members, %zu bytes compressed, %zu bytes inflated\n", f.entries.size(),
                f.container.size(), f.inflated);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::fflush(stderr);
    std::printf("\n");
    // CPU time is the engine's own cost; wall time adds the file system's
    // writes, which are the same on both sides but noisy on a busy machine.
    PrintRatio("CPU", reporter.cpu);
    PrintRatio("wall", reporter.wall);
    std::fflush(stdout);
    return 0;
}
