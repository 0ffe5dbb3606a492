#include "editor/hit_test.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace trovel {

namespace {

constexpr int kMarkerHitRadius = 5;

// Hit code of one output of the block, or Nothing.
HitCode hitOutput(const ActionBlock& block, int output, int x, int y) {
    const HitCode endCode = output == 0 ? HitCode::End0 : HitCode::End1;
    const HitCode bendCode = output == 0 ? HitCode::Bend0 : HitCode::Bend1;
    // The loop-back of a RepeatEnd cannot be detached; only its bend can be grabbed.
    const bool endGrabbable = !(block.type == BlockType::RepeatEnd && output == 1);
    const Route r = routeConnector(block, output);

    if (r.code == RouteCode::Overlap) {
        if (!endGrabbable) return HitCode::Nothing;
        int cx = (r.marker[0].x + r.marker[1].x + r.marker[2].x) / 3;
        int cy = (r.marker[0].y + r.marker[1].y + r.marker[2].y) / 3;
        // 64-bit: a point far out on the chart must not overflow into a hit.
        const int64_t dx = int64_t{x} - cx, dy = int64_t{y} - cy;
        return dx * dx + dy * dy < kMarkerHitRadius * kMarkerHitRadius ? endCode : HitCode::Nothing;
    }
    if (endGrabbable) {
        Point tip = arrowTip(r);
        if (std::abs(x - tip.x) <= kHandleHalf && std::abs(y - tip.y) <= kHandleHalf) return endCode;
        Point h = startPoint(r);
        if (x >= h.x - 8 && x <= h.x + 7 && y >= h.y - 8 && y <= h.y + 7) return endCode;
    }
    if (!hasBendHandle(r.code)) return HitCode::Nothing;
    if (std::abs(x - r.mid.x) > kHandleHalf) return HitCode::Nothing;
    if (r.code == RouteCode::SideLeft || r.code == RouteCode::SideRight) {
        int ym = r.target.top + (r.sourceCentre.y - r.target.top + 9) / 2;
        return y >= ym - 16 && y <= ym - 2 ? bendCode : HitCode::Nothing;
    }
    return std::abs(y - r.mid.y) <= kHandleHalf ? bendCode : HitCode::Nothing;
}

// Cheap reject before routing: every handle, run and marker of an output lies within the box
// around its source and target, grown by the bend and the largest handle reach.
bool mayHitOutput(const ActionBlock& block, int output, int x, int y) {
    const size_t i = output == 1 ? 1 : 0;
    Rect box = blockRect(block);
    auto extend = [&](const Rect& r) {
        box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
               std::max(box.bottom, r.bottom)};
    };
    if (const ActionBlock* t = block.next[i]) extend(blockRect(*t));
    else if (block.flags & (i == 0 ? FlagEndDrag0 : FlagEndDrag1))
        extend({block.dragX, block.dragY, block.dragX, block.dragY});
    const int64_t margin = std::abs(int64_t{block.bend[i]}) + 26;
    return x >= box.left - margin && x <= box.right + margin && y >= box.top - margin && y <= box.bottom + margin;
}

}  // namespace

HitCode hitBlock(const ActionBlock& block, int x, int y) {
    const int outputs = outputCount(block.type);
    for (int i = 0; i < outputs; ++i) {
        if (!mayHitOutput(block, i, x, y)) continue;
        HitCode code = hitOutput(block, i, x, y);
        if (code != HitCode::Nothing) return code;
    }
    return insideBlockShape(block, x, y) ? HitCode::Body : HitCode::Nothing;
}

HitResult hitTest(const BlockProgram& program, int x, int y) {
    for (size_t i = 0; i < program.blocks.size(); ++i) {
        HitCode code = hitBlock(*program.blocks[i], x, y);
        if (code != HitCode::Nothing) return {code, static_cast<int>(i)};
    }
    return {};
}

}  // namespace trovel
