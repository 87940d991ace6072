#include "sim/unit_feature.h"

#include <algorithm>
#include <utility>

namespace halvana {

namespace {

std::vector<std::pair<int, UnitFeatureFactory>>& registry()
{
    static std::vector<std::pair<int, UnitFeatureFactory>> factories;
    return factories;
}

} // namespace

UnitFeatureRegistration::UnitFeatureRegistration(int order, UnitFeatureFactory factory)
{
    registry().emplace_back(order, std::move(factory));
}

std::vector<std::unique_ptr<UnitFeature>> createUnitFeatures()
{
    auto factories = registry();
    std::stable_sort(factories.begin(), factories.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::unique_ptr<UnitFeature>> features;
    for (const auto& entry : factories)
        features.push_back(entry.second());
    return features;
}

} // namespace halvana
