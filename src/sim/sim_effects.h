#pragma once
// The on-screen banners for start, goal, failure and new record, each a timed entry of one table.

#include <array>
#include <cstdint>

#include "sim/draw_list.h"

namespace trovel {

namespace EffectType {
constexpr int Goal = 1;
constexpr int Failure = 2;
constexpr int Start = 4;
constexpr int NewRecord = 5;
}  // namespace EffectType

constexpr int kEffectSlots = 32;

struct Effect {
    bool inUse = false;
    int type = 0;         // EffectType
    int counter = 0;      // ticks to live; for a failure first the bounces left, then the fade ticks
    int row = 0;          // message-strip row
    bool settled = false; // failure banner has stopped bouncing
    float y = 0;          // failure banner centre, pixels
    float alpha = 1;      // failure banner alpha factor
    float speed = 0;      // failure banner vertical speed, pixels per tick
};

using EffectTable = std::array<Effect, kEffectSlots>;

// Takes the first free entry; false (and no sound) when the table is full or the type is unknown.
bool emitEffect(EffectTable& table, int type, int parameter);
// Queues every entry's quads and, unless `innerTick`, advances it; `bestMs` is shown by a new record.
void queueEffects(EffectTable& table, DrawList& list, bool innerTick, int bestMs);
int effectsInUse(const EffectTable& table);

}  // namespace trovel
