#include "Squarify.h"

#include <algorithm>

namespace {

// The worst aspect ratio of a row of areas laid along a side of length side.
double Worst(double sum, double smallest, double largest, double side) {
    const double side2 = side * side, sum2 = sum * sum;
    return std::max(side2 * largest / sum2, sum2 / (side2 * smallest));
}

} // namespace

std::vector<TTile> Squarify(const std::vector<double>& weights, const TTile& area) {
    std::vector<TTile> tiles(weights.size());
    double total = 0;
    for (const double weight : weights)
        total += std::max(weight, 0.0);
    if (total <= 0 || area.W <= 0 || area.H <= 0)
        return tiles;
    const double scale = area.W * area.H / total;
    TTile rest = area;
    std::size_t first = 0;
    while (first < weights.size()) {
        if (weights[first] <= 0) {
            ++first;
            continue;
        }
        // The row grows while its worst tile gets no worse.
        const double side = std::min(rest.W, rest.H);
        double sum = weights[first] * scale, smallest = sum, largest = sum;
        std::size_t end = first + 1;
        for (; end < weights.size() && weights[end] > 0; ++end) {
            const double a = weights[end] * scale;
            if (Worst(sum + a, std::min(smallest, a), std::max(largest, a), side) >
                Worst(sum, smallest, largest, side))
                break;
            sum += a;
            smallest = std::min(smallest, a);
            largest = std::max(largest, a);
        }
        // Along the shorter side: a column on the left, or a row at the top.
        const bool column = rest.W >= rest.H;
        const double thickness = sum / side;
        double at = column ? rest.Y : rest.X;
        for (std::size_t k = first; k < end; ++k) {
            const double length = weights[k] * scale / thickness;
            tiles[k] = column ? TTile{rest.X, at, thickness, length}
                              : TTile{at, rest.Y, length, thickness};
            at += length;
        }
        if (column) {
            rest.X += thickness;
            rest.W = std::max(0.0, rest.W - thickness);
        } else {
            rest.Y += thickness;
            rest.H = std::max(0.0, rest.H - thickness);
        }
        first = end;
    }
    return tiles;
}
