#include "sim/sim_speed.h"

#include "sim/simulator.h"

namespace trovel {

int slowDivisorOf(SimSpeed speed) {
    switch (speed) {
    case SimSpeed::Slower: return 20;
    case SimSpeed::Slow: return 10;
    default: return 0;
    }
}

int ticksPerFrame(SimSpeed speed) {
    switch (speed) {
    case SimSpeed::Double: return 2;
    case SimSpeed::Five: return 5;
    case SimSpeed::Ten: return 10;
    case SimSpeed::Fastest: return 32;
    default: return 1;
    }
}

int frameTicks(const Simulator& sim, SimSpeed speed) {
    return sim.state == SimState::Running ? ticksPerFrame(speed) : 1;
}

int runTicks(Simulator& sim, int ticks, const TickHandler& afterTick) {
    int n = 0;
    while (n < ticks) {
        const bool wasRunning = sim.state == SimState::Running;
        const TickEvents events = stepSimulation(sim);
        if (afterTick) afterTick(events);
        ++n;
        if (wasRunning && sim.state != SimState::Running) break;
    }
    return n;
}

}  // namespace trovel
