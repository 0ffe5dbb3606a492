#pragma once
// The texts the chart and the tooltips show for a block, built from the string table and the
// memory-address names, which the caller supplies so this stays free of the application layer.

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "editor/geometry.h"
#include "model/block.h"
#include "model/memory_map.h"

namespace trovel {

struct TextSources {
    std::function<std::u16string(int)> resString;    // numbered string of the string table, "" if missing
    std::function<std::u16string(int)> displayName;  // first memname.ini name of an address 0..31
    std::function<std::u16string(int)> shortName;    // second memname.ini name of an address 0..31
};

// The caption drawn on the block; empty for Start, End and RandomBranch. `useCalcBlock` is the
// UseCalcBlock option, which switches Branch captions to short names and memory comparisons.
std::u16string chartCaption(const ActionBlock& block, const TextSources& text, bool useCalcBlock);

// Where the caption goes for a block drawn at `blockOnScreen`; nullopt when the type has none.
std::optional<Rect> captionRect(const ActionBlock& block, const Rect& blockOnScreen);

// Whether the type's caption sits on a drawn panel (left, top + 36, right, bottom).
bool hasCaptionPanel(BlockType type);

// The tooltip text of a block (only asked for when the pointer is on its body).
std::u16string blockTooltip(const ActionBlock& block, const TextSources& text);

// The chart's text sources: the string table plus the two name tables of memname.ini.
TextSources chartTextSources(const std::array<std::u16string, MemoryMap::Size>& displayNames,
                             const std::array<std::u16string, MemoryMap::Size>& shortNames);

// String number of an output's label (はい/いいえ, A/B, 戻る), 0 when the output has none.
int outputLabelString(BlockType type, int output);
// Whether the label is drawn for this route: on some routes only while the output is linked.
bool outputLabelVisible(BlockType type, int output, int routeCode, bool linked);

}  // namespace trovel
