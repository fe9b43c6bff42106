#pragma once

#include <vector>

// Splits `total` pixels into whole widths in proportion to `weights`, by the
// largest remainder, so the widths add up to exactly `total`.
std::vector<int> shareWidths(const std::vector<double>& weights, int total);
