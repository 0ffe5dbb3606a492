#include "sim/sim_effects.h"

#include <cmath>

namespace trovel {

namespace {

constexpr float kCentreX = kScreenWidth / 2, kCentreY = kScreenHeight / 2;  // of the screen

uint32_t whiteWithAlpha(float alpha) {
    return static_cast<uint32_t>(static_cast<int>(255.0f * alpha)) << 24 | 0x00FFFFFF;
}

// The goal and start banner: 1000 x 160 at scale 1, centred on the screen.
void queueBanner(DrawList& list, int row, float s, float alpha) {
    float hw = 500 / s, hh = 80 / s;
    queueMessageRow(list, row, kCentreX - hw, kCentreY - hh, kCentreX + hw, kCentreY + hh, whiteWithAlpha(alpha));
}

void queueGoal(const Effect& e, DrawList& list) {
    const int counter = e.shownCounter;
    float s = 1;
    if (200 - counter <= 50) s = static_cast<float>(200 - counter) / 50;
    else if (counter < 50) s = static_cast<float>(counter) / 50;
    if (s != 0) queueBanner(list, e.row, s, s);
}

void queueStart(const Effect& e, DrawList& list) {
    float f = static_cast<float>(e.shownCounter) / 200;
    queueBanner(list, e.row, f * 0.5f + 1, f);
}

void queueFailure(const Effect& e, DrawList& list) {
    queueMessageRow(list, e.row, 100, e.y - 40, 600, e.y + 40, whiteWithAlpha(e.alpha));
}

void queueRecord(const Effect& e, DrawList& list) {
    if (e.shownCounter & 32) queueMessageRow(list, e.row, 100, 330, 600, 410, 0xFFFFFFFF);
    queueTime(list, e.timeMs, 230, 410, 30, 60, 0xFFFF0000);
}

// Goal, start and record show the counter they had before the tick counts it down.
void countDown(Effect& e, int step, bool inner) {
    e.shownCounter = e.counter;
    if (!inner && (e.counter -= step) < 1) e.expired = true;
}

// A failure banner falls first and is shown where it fell to.
void fall(Effect& e, bool inner) {
    if (!inner) {
        e.speed += 0.5f;
        e.y += e.speed;
        if (!e.settled) {
            e.alpha = 1;
            if (e.y > kCentreY) {
                if (e.counter >= 1) {
                    --e.counter;
                    e.speed = -e.speed;
                } else {
                    e.settled = true;
                    e.y = kCentreY;
                    e.counter = 50;
                }
            }
        } else {
            e.alpha *= 0.9f;
        }
    }
    if (e.y > kScreenHeight) e.expired = true;
}

}  // namespace

bool emitEffect(EffectTable& table, int type, int parameter, int timeMs) {
    int counter;
    switch (type) {
    case EffectType::Goal: counter = 200; break;
    case EffectType::Failure: counter = 5; break;
    case EffectType::Start: counter = 200; break;
    case EffectType::NewRecord: counter = 400; break;
    default: return false;
    }
    for (Effect& e : table) {
        if (e.inUse && !e.expired) continue;
        e = Effect{};
        e.inUse = true;
        e.type = type;
        e.counter = counter;
        e.shownCounter = counter;
        e.row = parameter;
        e.timeMs = timeMs;
        if (type == EffectType::Failure) e.y = 170;
        return true;
    }
    return false;
}

void clearEffects(EffectTable& table) { table = EffectTable{}; }

void advanceEffects(EffectTable& table, bool innerTick) {
    for (Effect& e : table) {
        if (!e.inUse) continue;
        if (e.expired) {
            e.inUse = false;
            continue;
        }
        switch (e.type) {
        case EffectType::Goal: countDown(e, 1, innerTick); break;
        case EffectType::Start: countDown(e, 4, innerTick); break;
        case EffectType::Failure: fall(e, innerTick); break;
        case EffectType::NewRecord: countDown(e, 1, innerTick); break;
        default: e.inUse = false; break;
        }
    }
}

void queueEffects(const EffectTable& table, DrawList& list) {
    for (const Effect& e : table) {
        if (!e.inUse) continue;
        switch (e.type) {
        case EffectType::Goal: queueGoal(e, list); break;
        case EffectType::Start: queueStart(e, list); break;
        case EffectType::Failure: queueFailure(e, list); break;
        case EffectType::NewRecord: queueRecord(e, list); break;
        default: break;
        }
    }
}

int effectsInUse(const EffectTable& table) {
    int n = 0;
    for (const Effect& e : table) n += e.inUse && !e.expired ? 1 : 0;
    return n;
}

}  // namespace trovel
