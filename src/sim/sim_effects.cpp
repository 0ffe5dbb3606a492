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

void stepGoal(Effect& e, DrawList& list, bool inner) {
    float s = 1;
    if (200 - e.counter <= 50)
        s = static_cast<float>(200 - e.counter) / 50;
    else if (e.counter < 50)
        s = static_cast<float>(e.counter) / 50;
    if (s != 0) queueBanner(list, e.row, s, s);
    if (!inner && --e.counter < 1) e.inUse = false;
}

void stepStart(Effect& e, DrawList& list, bool inner) {
    float f = static_cast<float>(e.counter) / 200;
    queueBanner(list, e.row, f * 0.5f + 1, f);
    if (!inner && (e.counter -= 4) < 1) e.inUse = false;
}

void stepFailure(Effect& e, DrawList& list, bool inner) {
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
    queueMessageRow(list, e.row, 100, e.y - 40, 600, e.y + 40, whiteWithAlpha(e.alpha));
    if (e.y > kScreenHeight) e.inUse = false;
}

void stepRecord(Effect& e, DrawList& list, bool inner, int bestMs) {
    if (e.counter & 32) queueMessageRow(list, e.row, 100, 330, 600, 410, 0xFFFFFFFF);
    queueTime(list, bestMs, 230, 410, 30, 60, 0xFFFF0000);
    if (!inner && --e.counter < 1) e.inUse = false;
}

}  // namespace

bool emitEffect(EffectTable& table, int type, int parameter) {
    int counter;
    switch (type) {
    case EffectType::Goal: counter = 200; break;
    case EffectType::Failure: counter = 5; break;
    case EffectType::Start: counter = 200; break;
    case EffectType::NewRecord: counter = 400; break;
    default: return false;
    }
    for (Effect& e : table) {
        if (e.inUse) continue;
        e = Effect{};
        e.inUse = true;
        e.type = type;
        e.counter = counter;
        e.row = parameter;
        if (type == EffectType::Failure) e.y = 170;
        return true;
    }
    return false;
}

void queueEffects(EffectTable& table, DrawList& list, bool innerTick, int bestMs) {
    for (Effect& e : table) {
        if (!e.inUse) continue;
        switch (e.type) {
        case EffectType::Goal: stepGoal(e, list, innerTick); break;
        case EffectType::Start: stepStart(e, list, innerTick); break;
        case EffectType::Failure: stepFailure(e, list, innerTick); break;
        case EffectType::NewRecord: stepRecord(e, list, innerTick, bestMs); break;
        default: e.inUse = false; break;
        }
    }
}

int effectsInUse(const EffectTable& table) {
    int n = 0;
    for (const Effect& e : table) n += e.inUse ? 1 : 0;
    return n;
}

}  // namespace trovel
