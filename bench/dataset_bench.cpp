// Times the generation of the sample phones, reading the large one back the way
// phonesim does at start, and one written-through change on it, with the
// process's peak memory after each step.
// Usage: bench_dataset [folder]   (default: a fresh folder under the temp dir)
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "dataset/dataset.h"
#include "store/content_store.h"

namespace fs = std::filesystem;

namespace {

long peakKilobytes() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

uintmax_t treeBytes(const fs::path& root) {
    uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) total += entry.file_size();
    }
    return total;
}

template <typename Step>
double seconds(Step step) {
    auto begin = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

}  // namespace

int main(int argc, char** argv) {
    fs::path root = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / ("bench-dataset-" + std::to_string(getpid()));
    bool ok = true;
    for (const char* size : {"small", "large"}) {
        fs::path state = root / size;
        std::string error;
        double took = seconds([&] { ok = phonesim::generateDataset(state, size, error) && ok; });
        if (!ok) {
            std::fprintf(stderr, "%s: %s\n", size, error.c_str());
            return 1;
        }
        std::printf("generate %-5s  %7.3f s   %6.1f MB on disk   peak memory %6.1f MB\n", size, took,
                    static_cast<double>(treeBytes(state)) / 1e6, static_cast<double>(peakKilobytes()) / 1024.0);
    }
    phonesim::ContentStore store(root / "large" / "store");
    std::string error;
    double took = seconds([&] { ok = store.load(error); });
    std::printf("load large      %7.3f s   %zu contacts, %zu messages, %zu calls, %zu media   peak memory %6.1f MB\n",
                took, store.contacts().size(), store.messages().size(), store.calls().size(), store.media().size(),
                static_cast<double>(peakKilobytes()) / 1024.0);
    // Every change rewrites its category file: the cost of one message written to the large phone.
    const int writes = 50;
    took = seconds([&] {
        for (int i = 0; i < writes && ok; ++i) {
            phonesim::Message message;
            message.address = "+49 151 0000000";
            message.body = "bench";
            ok = store.addMessage(message) > 0;
        }
    });
    std::printf("write message   %7.3f ms each (large phone, %d writes)\n", took * 1000.0 / writes, writes);
    if (argc <= 1) fs::remove_all(root);
    return ok ? 0 : 1;
}
