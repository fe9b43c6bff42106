#include "joblist/rules/ColumnShares.h"

#include <algorithm>
#include <cmath>
#include <numeric>

std::vector<int> shareWidths(const std::vector<double>& weights, int total) {
    std::vector<int> widths(weights.size(), 0);
    const double sum = std::accumulate(weights.begin(), weights.end(), 0.0);
    if (weights.empty() || sum <= 0 || total <= 0)
        return widths;
    std::vector<std::pair<double, size_t>> remainders;
    int given = 0;
    for (size_t i = 0; i < weights.size(); ++i) {
        const double exact = std::max(weights[i], 0.0) * total / sum;
        widths[i] = static_cast<int>(std::floor(exact));
        given += widths[i];
        remainders.emplace_back(exact - widths[i], i);
    }
    // Ties go to the earlier column, so equal weights get equal widths first.
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t k = 0; given < total && k < remainders.size(); ++k, ++given)
        ++widths[remainders[k].second];
    return widths;
}
