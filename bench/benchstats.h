#pragma once

#include <algorithm>
#include <vector>

/// The median of timing samples (the upper one of an even count).
inline double median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}
