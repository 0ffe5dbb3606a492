#include "model/chart_layout.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <span>
#include <unordered_map>
#include <vector>

namespace trovel {

namespace {

// The editor routes every connector from where its blocks stand; the layout plans for the shapes
// its rules give: a detour's first and last runs are 9 pixels long, a label sits at the middle of
// the bend, and blocks closer than 16 pixels count as touching.
constexpr int kDetourStep = 9;
constexpr int kLeftMargin = kStartPosition.x;  // left of column 0 while no lane runs there
constexpr int kColumnGap = 36;                 // between two columns without lanes
// A box that holds any output label ("いいえ", "Back"...) in the chart font, with its frame.
constexpr int kLabelWidth = 56;
constexpr int kLabelHeight = 22;
constexpr int kLabelDrop = 16;  // a label on a connector going down sits this far below its block
constexpr int kPlainBend = 27;
// Rounds of moving labels apart before the layout settles for what it has.
constexpr int kMaxRounds = 64;

int roundUpToGrid(int v) { return (v + kGrid - 1) / kGrid * kGrid; }

int outputsOf(const ActionBlock& b) {
    if (b.type == BlockType::End) return 0;
    return hasSecondOutput(b.type) ? 2 : 1;
}

// The outputs that carry a label on the chart (はい/いいえ, A/B, 戻る).
bool labelled(const ActionBlock& b, int output) {
    return isDiamond(b.type) || (b.type == BlockType::RepeatEnd && output == 1);
}

struct Node {
    int row = -1;  // -1 until the walk reaches the block
    int column = 0;
    std::array<bool, 2> treeOutput{};  // the walk reached that output's target through it
};

struct Chart {
    std::vector<ActionBlock*> blocks;  // list order
    std::unordered_map<const ActionBlock*, int> index;
    std::vector<Node> nodes;  // by list index
    std::vector<int> byRow;   // list index of the block in each row

    int target(int k, int output) const {
        const ActionBlock* t = blocks[static_cast<size_t>(k)]->next[static_cast<size_t>(output)];
        const auto it = t ? index.find(t) : index.end();
        return it == index.end() ? -1 : it->second;
    }
    ActionBlock& block(int k) const { return *blocks[static_cast<size_t>(k)]; }
    Node& node(int k) { return nodes[static_cast<size_t>(k)]; }
    const Node& node(int k) const { return nodes[static_cast<size_t>(k)]; }
    bool placed(int k) const { return node(k).row >= 0; }
};

// Whether `to` can be reached from the unplaced block `from` through blocks not placed yet.
bool reachable(const Chart& c, int from, int to) {
    std::vector<char> seen(c.blocks.size(), 0);
    std::vector<int> stack{from};
    seen[static_cast<size_t>(from)] = 1;
    while (!stack.empty()) {
        const int k = stack.back();
        stack.pop_back();
        if (k == to) return true;
        for (int i = 0; i < outputsOf(c.block(k)); ++i) {
            const int t = c.target(k, i);
            if (t < 0 || seen[static_cast<size_t>(t)] || c.placed(t)) continue;
            seen[static_cast<size_t>(t)] = 1;
            stack.push_back(t);
        }
    }
    return false;
}

// The order in which the walk follows a block's outputs. The second output goes first: its part
// of the chart takes the columns to the right, and the first output then runs straight down past
// it through an empty column. When the first output's target lies in the second one's part but
// not the other way round, the first goes first, so no connector has to run down into a part
// placed before it.
std::array<int, 2> outputOrder(const Chart& c, int k) {
    if (outputsOf(c.block(k)) < 2) return {0, 1};
    const int yes = c.target(k, 0), no = c.target(k, 1);
    if (yes < 0 || no < 0 || yes == no || c.placed(yes) || c.placed(no)) return {1, 0};
    if (reachable(c, no, yes) && !reachable(c, yes, no)) return {0, 1};
    return {1, 0};
}

// Places the blocks reached from `root`, one row each: output 0 below in the same column, the
// second output in the first column right of every block placed since its source.
void walkFrom(Chart& c, int root) {
    struct Frame {
        int block;
        std::array<int, 2> order;
        int step;
    };
    auto place = [&c](int k, int column) {
        c.node(k).row = static_cast<int>(c.byRow.size());
        c.node(k).column = column;
        c.byRow.push_back(k);
    };
    place(root, 0);
    std::vector<Frame> stack{{root, outputOrder(c, root), 0}};
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.step >= outputsOf(c.block(f.block))) {
            stack.pop_back();
            continue;
        }
        const int from = f.block;
        const int i = f.order[static_cast<size_t>(f.step++)];
        const int t = c.target(from, i);
        if (t < 0 || c.placed(t)) continue;
        const Node& source = c.node(from);
        int column = source.column;
        if (i == 1) {
            column = source.column + 1;
            for (size_t r = static_cast<size_t>(source.row) + 1; r < c.byRow.size(); ++r)
                column = std::max(column, c.node(c.byRow[r]).column + 1);
        }
        c.node(from).treeOutput[static_cast<size_t>(i)] = true;
        place(t, column);
        stack.push_back({t, outputOrder(c, t), 0});
    }
}

// How a connector runs, as the layout places its blocks.
enum class Shape {
    Open,     // no target, or the block itself
    Down,     // to the block the walk placed below it in its column
    Side,     // second output to the column the walk opened for it: right, then down
    Forward,  // first output down into a part placed after its block: turns on a track above the target
    Lane,     // up (or down beside the columns): in a lane of a gap between columns
};

struct Connector {
    int block = 0, output = 0, target = -1;
    Shape shape = Shape::Open;
    bool hasLabel = false;
    int track = 0;    // Forward: track in the gap above the target, counted from the top
    int minLane = 0;  // Lane: the first lane it may take
    // Lane, as planned in the current round:
    int gap = 0;              // left of column `gap` (gap 0 is left of column 0)
    int top = 0, bottom = 0;  // its vertical run
    int labelY = 0;
    int lane = 0;
};

bool spansMeet(int top1, int bottom1, int top2, int bottom2, int margin) {
    return top1 <= bottom2 + margin && top2 <= bottom1 + margin;
}

// First lane from the connector's own minimum where its run touches no run already in that lane,
// and where no label covers another label or another run's line.
int freeLane(const Connector& run, std::span<const Connector* const> placedRuns) {
    const auto labelMeets = [](const Connector& withLabel, const Connector& line) {
        return spansMeet(withLabel.labelY - kLabelHeight / 2, withLabel.labelY + kLabelHeight / 2, line.top,
                         line.bottom, 0);
    };
    for (int lane = run.minLane;; ++lane) {
        bool free = true;
        for (const Connector* other : placedRuns) {
            const Connector& o = *other;
            if (o.gap != run.gap) continue;
            const int apart = std::abs(o.lane - lane) * kLayoutLaneSpacing;
            const bool lineOnLine = apart == 0 && spansMeet(run.top, run.bottom, o.top, o.bottom, kLayoutLaneSpacing);
            const bool labelOnLine = apart <= kLabelWidth / 2 &&
                                     ((run.hasLabel && labelMeets(run, o)) || (o.hasLabel && labelMeets(o, run)));
            const bool labelOnLabel =
                run.hasLabel && o.hasLabel && apart < kLabelWidth && std::abs(run.labelY - o.labelY) < kLabelHeight;
            if (lineOnLine || labelOnLine || labelOnLabel) {
                free = false;
                break;
            }
        }
        if (free) return lane;
    }
}

struct PlannedLabel {
    int x, y;       // centre
    int connector;  // index into the connectors
};

}  // namespace

void layoutChart(BlockProgram& program) {
    Chart c;
    for (const auto& b : program.blocks) {
        c.index.emplace(b.get(), static_cast<int>(c.blocks.size()));
        c.blocks.push_back(b.get());
    }
    const int n = static_cast<int>(c.blocks.size());
    if (n == 0) return;
    c.nodes.assign(static_cast<size_t>(n), Node{});

    // The walk starts at the Start block; blocks it never reaches follow, each from the first in list order.
    const auto start = std::find_if(c.blocks.begin(), c.blocks.end(),
                                    [](const ActionBlock* b) { return b->type == BlockType::Start; });
    if (start != c.blocks.end()) walkFrom(c, static_cast<int>(start - c.blocks.begin()));
    for (int k = 0; k < n; ++k)
        if (!c.placed(k)) walkFrom(c, k);

    int columns = 0, columnWidth = 1;
    for (int k = 0; k < n; ++k) {
        columns = std::max(columns, c.node(k).column + 1);
        columnWidth = std::max(columnWidth, c.block(k).width);
    }
    const auto rowOf = [&](int k) { return c.node(k).row; };
    const auto columnOf = [&](int k) { return c.node(k).column; };

    std::vector<Connector> connectors;
    std::vector<int> tracksAbove(static_cast<size_t>(n), 0);  // by row: forward connectors into it
    for (int r = 0; r < n; ++r) {
        const int k = c.byRow[static_cast<size_t>(r)];
        for (int i = 0; i < outputsOf(c.block(k)); ++i) {
            Connector link;
            link.block = k;
            link.output = i;
            link.target = c.target(k, i);
            link.hasLabel = labelled(c.block(k), i);
            const int t = link.target;
            if (t < 0 || t == k) link.shape = Shape::Open;
            else if (c.node(k).treeOutput[static_cast<size_t>(i)]) link.shape = i == 0 ? Shape::Down : Shape::Side;
            else if (rowOf(t) > r) link.shape = Shape::Forward;
            else link.shape = Shape::Lane;
            if (link.shape == Shape::Forward) link.track = tracksAbove[static_cast<size_t>(rowOf(t))]++;
            connectors.push_back(link);
        }
    }

    std::vector<int> rowTop(static_cast<size_t>(n)), trackBase(static_cast<size_t>(n), 0);
    std::vector<int> gapLeft(static_cast<size_t>(columns) + 1), columnLeft(static_cast<size_t>(columns));
    const auto top = [&](int k) { return rowTop[static_cast<size_t>(rowOf(k))]; };
    const auto bottom = [&](int k) { return top(k) + c.block(k).height; };
    const auto middle = [&](int k) { return top(k) + c.block(k).height / 2; };
    const auto centreX = [&](int k) { return columnLeft[static_cast<size_t>(columnOf(k))] + columnWidth / 2; };
    const auto laneX = [&](const Connector& l) {
        return gapLeft[static_cast<size_t>(l.gap)] + kLayoutLaneMargin + l.lane * kLayoutLaneSpacing;
    };
    const auto trackY = [&](const Connector& l) {
        return trackBase[static_cast<size_t>(rowOf(l.target))] + l.track * kLabelHeight;
    };

    for (int round = 0; round < kMaxRounds; ++round) {
        // Rows, top down. A row whose first output goes down with a label has a taller gap below;
        // the gap above a row that outputs run down into holds a track for each of them, under
        // that label.
        std::fill(tracksAbove.begin(), tracksAbove.end(), 0);
        for (const Connector& l : connectors)
            if (l.shape == Shape::Forward)
                tracksAbove[static_cast<size_t>(rowOf(l.target))] =
                    std::max(tracksAbove[static_cast<size_t>(rowOf(l.target))], l.track + 1);
        int y = kLayoutTop;
        for (int r = 0; r < n; ++r) {
            const int k = c.byRow[static_cast<size_t>(r)];
            rowTop[static_cast<size_t>(r)] = y;
            const bool labelDown = outputsOf(c.block(k)) == 2 && c.node(k).treeOutput[0];
            int gap = labelDown ? kLayoutLabelRowGap : kLayoutRowGap;
            if (r + 1 < n && tracksAbove[static_cast<size_t>(r) + 1] > 0) {
                const int first = kLabelDrop + (labelDown ? kLabelHeight : 0);
                trackBase[static_cast<size_t>(r) + 1] = y + c.block(k).height + first;
                const int last = first + (tracksAbove[static_cast<size_t>(r) + 1] - 1) * kLabelHeight;
                gap = std::max(gap, roundUpToGrid(last + kLabelHeight / 2 + kDetourStep + 1));
            }
            y += c.block(k).height + gap;
        }

        // Every connector running up gets a lane in a gap between columns: beside its target's
        // column on the side facing its source, or, within one column, left of it (output 0) or
        // right of it (output 1), as the routing takes them. Short runs first, so they keep to the
        // lanes nearest the columns.
        std::vector<Connector*> runs;
        for (Connector& l : connectors) {
            if (l.shape != Shape::Lane) continue;
            const int cs = columnOf(l.block), ct = columnOf(l.target);
            l.gap = ct < cs ? ct + 1 : ct > cs ? ct : l.output == 0 ? cs : cs + 1;
            l.top = top(l.target) - kDetourStep;
            l.bottom = l.output == 0 ? bottom(l.block) + kDetourStep : middle(l.block);
            if (ct != cs && l.output == 1)
                l.labelY = middle(l.block) + (top(l.target) - kDetourStep - middle(l.block)) / 2;
            else if (ct != cs) l.labelY = middle(l.target) + (middle(l.block) - middle(l.target)) / 2;
            else l.labelY = middle(l.block) + (middle(l.target) - middle(l.block)) / 2;
            runs.push_back(&l);
        }
        std::stable_sort(runs.begin(), runs.end(), [](const Connector* a, const Connector* b) {
            return a->bottom - a->top < b->bottom - b->top;
        });
        std::vector<int> lanes(static_cast<size_t>(columns) + 1, 0);
        for (size_t r = 0; r < runs.size(); ++r) {
            runs[r]->lane = freeLane(*runs[r], std::span<const Connector* const>(runs.data(), r));
            lanes[static_cast<size_t>(runs[r]->gap)] =
                std::max(lanes[static_cast<size_t>(runs[r]->gap)], runs[r]->lane + 1);
        }

        // Columns, left to right, each as wide as the widest block, with room for their lanes between.
        int x = 0;
        for (int g = 0; g <= columns; ++g) {
            gapLeft[static_cast<size_t>(g)] = x;
            const int used = lanes[static_cast<size_t>(g)];
            const int width = used > 0 ? roundUpToGrid(2 * kLayoutLaneMargin + (used - 1) * kLayoutLaneSpacing)
                              : g == 0 ? kLeftMargin
                                       : kColumnGap;
            if (g < columns) {
                columnLeft[static_cast<size_t>(g)] = x + width;
                x += width + columnWidth;
            }
        }

        // Labels that would lie on each other: the one on a lane moves to a further lane, else the
        // one on a track to a lower track. The others stand where the columns put them.
        std::vector<PlannedLabel> labels;
        for (size_t i = 0; i < connectors.size(); ++i) {
            const Connector& l = connectors[i];
            if (!l.hasLabel) continue;
            const int s = l.block, t = l.target;
            switch (l.shape) {
            case Shape::Open: break;
            case Shape::Down:
                labels.push_back({centreX(s), bottom(s) + std::min(kLabelDrop, top(t) - bottom(s)), int(i)});
                break;
            case Shape::Side: labels.push_back({centreX(t), middle(s) + (top(t) - middle(s)) / 2, int(i)}); break;
            case Shape::Forward: labels.push_back({(centreX(s) + centreX(t)) / 2, trackY(l), int(i)}); break;
            case Shape::Lane: labels.push_back({laneX(l), l.labelY, int(i)}); break;
            }
        }
        bool moved = false;
        for (size_t a = 0; a < labels.size() && !moved; ++a) {
            for (size_t b = a + 1; b < labels.size() && !moved; ++b) {
                if (std::abs(labels[a].x - labels[b].x) >= kLabelWidth ||
                    std::abs(labels[a].y - labels[b].y) >= kLabelHeight)
                    continue;
                for (Shape shape : {Shape::Lane, Shape::Forward}) {
                    for (const PlannedLabel* label : {&labels[a], &labels[b]}) {
                        Connector& l = connectors[static_cast<size_t>(label->connector)];
                        if (moved || l.shape != shape) continue;
                        if (shape == Shape::Lane) l.minLane = l.lane + 1;
                        else ++l.track;
                        moved = true;
                    }
                }
            }
        }
        if (!moved) break;
    }

    for (int k = 0; k < n; ++k) {
        ActionBlock& b = c.block(k);
        b.x = centreX(k) - b.width / 2;
        b.y = top(k);
        b.bend = {kPlainBend, kPlainBend};
    }
    // Bends: a label going down sits just below its block; a run down into a part placed earlier
    // turns on its track; a run up turns into its lane.
    for (const Connector& l : connectors) {
        ActionBlock& s = c.block(l.block);
        int& bend = s.bend[static_cast<size_t>(l.output)];
        if (l.shape == Shape::Down) bend = kLabelDrop;
        if (l.shape == Shape::Forward) bend = trackY(l) - bottom(l.block);
        if (l.shape != Shape::Lane) continue;
        const ActionBlock& t = c.block(l.target);
        const int cs = columnOf(l.block), ct = columnOf(l.target), x = laneX(l);
        if (l.output == 0) bend = ct < cs ? x - (t.x + t.width) : ct > cs ? t.x - x : std::min(s.x, t.x) - x;
        else bend = ct < cs ? s.x - x : ct > cs ? x - (s.x + s.width) : x - std::max(s.x + s.width, t.x + t.width);
    }
}

}  // namespace trovel
