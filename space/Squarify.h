#pragma once

// The squarified treemap layout (Bruls, Huizing, van Wijk): areas in proportion to the
// weights, cut so that the tiles stay close to squares.

#include <vector>

struct TTile {
    double X = 0, Y = 0, W = 0, H = 0;
};

// One tile per weight, in the order given (largest first gives the best shapes); a weight of
// 0 or less gets an empty tile.
std::vector<TTile> Squarify(const std::vector<double>& weights, const TTile& area);
