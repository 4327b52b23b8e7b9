#include "history/ClipStore.h"
#include "history/SearchIndex.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

// Text of `size` bytes that differs for every `seed`.
QString filler(qsizetype size, int seed) {
    QString text = u"entry %1 "_s.arg(seed);
    text.reserve(size);
    while (text.size() < size)
        text.append(u"lorem ipsum dolor sit amet "_s);
    text.truncate(size);
    return text;
}

// Writes a history of 27 unpinned and `pinned` pinned text entries of `size`
// bytes into `directory`, in one save.
void writeHistory(const QString& directory, int pinned, qsizetype size) {
    QList<ClipItem> items;
    for (int i = 0; i < pinned + ClipStore::defaultLimit; ++i)
        items.append({QUuid::createUuid(), 1000.0 + i, u"org.example.Editor"_s,
                      TextContent{filler(size, i)}, i < pinned});
    ClipDisk disk(directory);
    disk.createFolders();
    disk.save(items);
}

void BM_AddAndSave(benchmark::State& state) {
    QTemporaryDir dir;
    writeHistory(dir.path(), int(state.range(0)), state.range(1));
    ClipStore store(dir.path());
    int next = 1'000'000;
    for (auto _ : state) {
        store.add(TextContent{filler(state.range(1), next)}, std::nullopt, next);
        ++next;
    }
    state.counters["entries"] = double(store.items().size());
}

// A history holding one clip at the default size limit: every change
// rewrites it.
void BM_AddNextToALargeClip(benchmark::State& state) {
    QTemporaryDir dir;
    ClipStore store(dir.path());
    store.add(TextContent{filler(32 * 1024 * 1024, 0)}, std::nullopt, 1);
    int next = 1'000'000;
    for (auto _ : state) {
        store.add(TextContent{filler(1024, next)}, std::nullopt, next);
        ++next;
    }
}

void BM_Load(benchmark::State& state) {
    QTemporaryDir dir;
    writeHistory(dir.path(), int(state.range(0)), state.range(1));
    for (auto _ : state) {
        ClipStore store(dir.path());
        benchmark::DoNotOptimize(store.items().size());
    }
}

// The document encoding alone, without the file system.
void BM_Encode(benchmark::State& state) {
    QTemporaryDir dir;
    writeHistory(dir.path(), int(state.range(0)), state.range(1));
    const ClipStore store(dir.path());
    for (auto _ : state)
        benchmark::DoNotOptimize(ClipDisk::encode(store.items()).size());
}

QList<ClipItem> searchedHistory(qint64 bytes) {
    QList<ClipItem> items;
    for (int i = 0; i < 1000; ++i)
        items.append({QUuid::createUuid(), double(i), std::nullopt, TextContent{filler(bytes, i)},
                      i % 10 == 0});
    items[500].content = TextContent{u"Rendez-vous à l'école à 9 h"_s};
    return items;
}

// A search with nothing prepared: the command line's, or the overlay's first.
void BM_Search(benchmark::State& state) {
    const QList<ClipItem> items = searchedHistory(state.range(0));
    for (auto _ : state) {
        const auto found = ClipStore::search(items, u"ÉCOLE"_s);
        benchmark::DoNotOptimize(found.size());
    }
}

// One keystroke in the overlay's search field, the history folded already.
void BM_SearchKeystroke(benchmark::State& state) {
    const QList<ClipItem> items = searchedHistory(state.range(0));
    SearchIndex index;
    benchmark::DoNotOptimize(index.search(items, u"É"_s).size());
    for (auto _ : state) {
        const auto found = index.search(items, u"ÉCOLE"_s);
        benchmark::DoNotOptimize(found.size());
    }
}

// The same beside seven texts of 5 MB, which are folded anew at each search
// rather than kept twice.
void BM_SearchKeystrokeBesideLargeTexts(benchmark::State& state) {
    QList<ClipItem> items = searchedHistory(1024);
    for (int i = 0; i < 7; ++i)
        items.append({QUuid::createUuid(), double(2000 + i), std::nullopt,
                      TextContent{filler(5'000'000, i)}, false});
    SearchIndex index;
    benchmark::DoNotOptimize(index.search(items, u"É"_s).size());
    for (auto _ : state) {
        const auto found = index.search(items, u"ÉCOLE"_s);
        benchmark::DoNotOptimize(found.size());
    }
}

void historyShapes(benchmark::internal::Benchmark* b) {
    for (int pinned : {0, 100, 1000})
        for (int size : {1024, 100 * 1024})
            b->Args({pinned, size});
    b->ArgNames({"pinned", "bytes"})->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_AddAndSave)->Apply(historyShapes);
BENCHMARK(BM_AddNextToALargeClip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Apply(historyShapes);
BENCHMARK(BM_Encode)->Apply(historyShapes);
BENCHMARK(BM_Search)->Arg(1024)->Arg(100 * 1024)->ArgName("bytes")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchKeystrokeBesideLargeTexts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchKeystroke)
    ->Arg(1024)
    ->Arg(100 * 1024)
    ->ArgName("bytes")
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
