#include "sim/sim_view_state.h"

#include <algorithm>

#include "sim/simulator.h"

namespace trovel {

namespace {

// A banner, and the sound of a goal or failure with it; a banner the full table drops has no sound.
void emit(SimViewState& view, const Simulator& sim, int type, int parameter, int timeMs = 0) {
    if (!emitEffect(view.effects, type, parameter, timeMs)) return;
    const std::u16string* sound = nullptr;
    if (type == EffectType::Goal) sound = &sim.courses.goalSound;
    if (type == EffectType::Failure) sound = &sim.courses.failSound;
    if (sound && !sound->empty()) view.pendingSounds.push_back(*sound);
}

}  // namespace

void resetView(SimViewState& view) {
    view.camera = SimCamera{};
    view.dragging = false;
    view.grabOffset = {};
    view.effects = EffectTable{};
    view.pendingSounds.clear();
}

void setZoom(SimViewState& view, float zoom) { view.camera.zoom = zoom; }

void showRunStarted(SimViewState& view, const Simulator& sim) {
    if (judgingArmed(sim)) emit(view, sim, EffectType::Start, MessageRow::Start);
}

void showRunStopped(SimViewState& view, bool runStopped) {
    clearEffects(view.effects);
    if (runStopped) view.dragging = false;
}

void showTick(SimViewState& view, const Simulator& sim, const TickEvents& events, bool newRecord) {
    if (events.runStopped) view.dragging = false;
    if (events.goal) emit(view, sim, EffectType::Goal, RunResult::Goal);
    if (events.goal && newRecord) emit(view, sim, EffectType::NewRecord, MessageRow::NewRecord, events.lapMs);
    if (events.failure) emit(view, sim, EffectType::Failure, events.failure);
    advanceEffects(view.effects, sim.innerTick);
    updateCamera(view.camera, sim.robot.x, sim.robot.y);
}

bool grabRobot(SimViewState& view, const Simulator& sim, WorldPoint p) {
    if (!robotMovable(sim) || !onRobot(sim, p)) return false;
    view.dragging = true;
    view.grabOffset = {p.x - sim.robot.x, p.y - sim.robot.y};
    return true;
}

void dragRobotTo(SimViewState& view, Simulator& sim, WorldPoint p) {
    if (!view.dragging) return;
    placeRobot(sim, std::clamp(p.x, -kWorldHalfWidth, kWorldHalfWidth) - view.grabOffset.x,
               std::clamp(p.y, -kWorldHalfHeight, kWorldHalfHeight) - view.grabOffset.y);
}

void releaseRobot(SimViewState& view) { view.dragging = false; }

}  // namespace trovel
