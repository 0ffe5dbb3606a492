// Program file load/save of a large program, compile of a full-size program, decode of a full area.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "model/compiler.h"
#include "model/program_file.h"
#include "model/sequence_decoder.h"

using namespace trovel;

namespace {

BlockProgram bigProgram(int blocks) {
    BlockProgram p;
    newProgram(p);
    ActionBlock* prev = blockAt(p, 0);
    for (int i = 0; i < blocks - 2; ++i) {
        BlockType t = static_cast<BlockType>(3 + i % 13);
        ActionBlock* b = placeBlock(p, t, {100 + (i % 50) * 90, 100 + (i / 50) * 90}).block;
        prev->next[0] = b;
        prev = b;
    }
    prev->next[0] = blockAt(p, 1);
    return p;
}

std::filesystem::path benchFile(const char* name) {
    std::filesystem::path dir = std::filesystem::path(TROVEL_TEST_TMP) / "bench";
    std::filesystem::create_directories(dir);
    return dir / name;
}

void BM_SaveProgram10k(benchmark::State& state) {
    BlockProgram p = bigProgram(10000);
    auto path = benchFile("save10k.qxp");
    for (auto _ : state) benchmark::DoNotOptimize(saveProgram(p, path));
}
BENCHMARK(BM_SaveProgram10k)->Unit(benchmark::kMillisecond);

void BM_LoadProgram10k(benchmark::State& state) {
    BlockProgram p = bigProgram(10000);
    auto path = benchFile("load10k.qxp");
    saveProgram(p, path);
    for (auto _ : state) {
        BlockProgram q;
        LoadResult r = loadProgram(q, path);
        if (!r.ok() || q.blocks.size() != 10000) state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_LoadProgram10k)->Unit(benchmark::kMillisecond);

void BM_Compile128(benchmark::State& state) {
    BlockProgram p;
    newProgram(p);
    for (int i = 0; i < 125; ++i) placeBlock(p, BlockType::Forward, {0, 0}).block->param[1] = 1;
    for (auto _ : state) {
        CompileResult r = compileProgram(p);
        if (r.instructions != 128 || !r.ok()) state.SkipWithError("wrong size");
        benchmark::DoNotOptimize(r.image.bytes.data());
    }
}
BENCHMARK(BM_Compile128)->Unit(benchmark::kMicrosecond);

void BM_DecodeFullArea(benchmark::State& state) {
    // 256 instructions of mixed kinds, the whole sequence area.
    std::vector<uint8_t> bytes;
    for (int i = 0; bytes.size() < 1024; ++i) {
        uint8_t k = static_cast<uint8_t>(i % 4);
        uint8_t next = static_cast<uint8_t>((i + 1) % 256);
        if (k == 0) bytes.insert(bytes.end(), {0x01, 0xF0, 0x78, next});
        if (k == 1) bytes.insert(bytes.end(), {0x03, 0x0F, next, 0xFF});
        if (k == 2) bytes.insert(bytes.end(), {0x31, 0x10, 0x01, next});
        if (k == 3) bytes.insert(bytes.end(), {0x37, 0x0F, 0x01, next});
    }
    for (auto _ : state) {
        BlockProgram p;
        decodeSequence(p, bytes.data(), bytes.size());
        benchmark::DoNotOptimize(p.blocks.data());
    }
}
BENCHMARK(BM_DecodeFullArea)->Unit(benchmark::kMicrosecond);

}  // namespace
