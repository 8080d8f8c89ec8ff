#pragma once

class TimelineData;

// Layered value noise on a fixed periodic 10 x 10 lattice; 0 when the amplitude is too small to
// contribute a layer.
double headTurnNoise(double x, double y, double amplitude);

// Bilinear value noise of the lattice at (u, v).
double latticeNoise(double u, double v);

// The random offset that makes each automatic run differ, in [0, 100].
double drawHeadTurnOffset();

// Refills the head-turn track from the viseme track: one key per viseme item, gap keys of at most
// 10000 units between them, angles from the noise shifted by `offset`. The selection is kept.
// Returns 0 when a key could not be stored.
bool generateHeadTurns(TimelineData& timeline, double offset);
