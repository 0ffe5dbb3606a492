#include "model/run_program.h"

namespace trovel {

RunProgram snapshotProgram(const BlockProgram& program) {
    const auto index = indexMap(program);
    auto indexOfLink = [&index](const ActionBlock* b) {
        if (!b) return kNoRunBlock;
        auto it = index.find(b);
        return it == index.end() ? kNoRunBlock : it->second;
    };
    RunProgram run;
    run.blocks.reserve(program.blocks.size());
    for (size_t i = 0; i < program.blocks.size(); ++i) {
        const ActionBlock& b = *program.blocks[i];
        run.blocks.push_back({.type = b.type,
                              .param = b.param,
                              .next = {indexOfLink(b.next[0]), indexOfLink(b.next[1])},
                              .partner = indexOfLink(b.partner),
                              .breakpoint = b.breakpoint,
                              .source = int(i)});
    }
    return run;
}

std::shared_ptr<const RunProgram> shareSnapshot(const BlockProgram& program) {
    return std::make_shared<const RunProgram>(snapshotProgram(program));
}

}  // namespace trovel
