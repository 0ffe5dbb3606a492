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
    int type = 0;          // EffectType
    int counter = 0;       // ticks to live; for a failure first the bounces left, then the fade ticks
    int row = 0;           // message-strip row
    bool settled = false;  // failure banner has stopped bouncing
    float y = 0;           // failure banner centre, pixels
    float alpha = 1;       // failure banner alpha factor
    float speed = 0;       // failure banner vertical speed, pixels per tick
    int shownCounter = 0;  // the counter the picture of the last tick shows (goal, start, record)
    bool expired = false;  // the last picture is shown; the entry is free for the next emission
    int timeMs = 0;        // the time a new-record banner shows: the record it was emitted for
};

using EffectTable = std::array<Effect, kEffectSlots>;

// Takes the first free entry; false (and no sound) when the table is full or the type is unknown.
// `timeMs` is the new record a record banner shows.
bool emitEffect(EffectTable& table, int type, int parameter, int timeMs = 0);
// Every banner goes at once (a run stopped, another course chosen).
void clearEffects(EffectTable& table);
// Once per tick, after the simulation step: every entry takes the picture this tick shows and,
// unless `innerTick`, moves on. An entry whose animation ended keeps its last picture until then.
void advanceEffects(EffectTable& table, bool innerTick);
// Queues the picture of every entry as the last tick left it.
void queueEffects(const EffectTable& table, DrawList& list);
// Entries still animating (an expired one no longer counts).
int effectsInUse(const EffectTable& table);

}  // namespace trovel
