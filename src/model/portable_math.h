#pragma once
// Sine, cosine and arc tangent computed by the core itself with plain arithmetic, so that the
// simulator's robot moves by the same bits with every C library (the WebAssembly build's rounds
// some results of its own sinf and cosf differently from the desktop's).

namespace trovel {

// In double precision, rounded once to float: within one unit in the last place of the exact value.
float portableSin(float x);
float portableCos(float x);
float portableAtan2(float y, float x);

}  // namespace trovel
