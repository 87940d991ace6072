#include "core/device/block_formats.h"

namespace halvana::BlockFormats {

namespace {
constexpr auto T = ValueFormat::Tenths;
constexpr auto H = ValueFormat::Hundredths;

const FormatRules& byMap(int mapVersion, const FormatRules& map1, const FormatRules& map2)
{
    return mapVersion == 1 ? map1 : map2;
}
} // namespace

const FormatRules& systemInfo()
{
    static const FormatRules rules({}, {54, 55, 56, 58, 59, 62, 63});
    return rules;
}

const FormatRules& branchSettings(int mapVersion)
{
    static const FormatRules map1 = FormatRules({2013, 2014, 2018, 2097, 2098, 2099}, {}, {2020})
                                        .pairsEveryFour(2043, 2064, H)
                                        .pairsEveryFour(2071, 2096, H);
    static const FormatRules map2 = FormatRules({2007, 2008, 2013, 2048, 2049, 2080, 2081, 2082},
                                                {2083, 2084}, {2009})
                                        .pairsEveryFour(2030, 2079, H);
    return byMap(mapVersion, map1, map2);
}

const FormatRules& branchReadings(int mapVersion)
{
    static const FormatRules map1 = FormatRules({2188}, {2160}).range(2161, 2168, T).range(2169, 2187, H);
    static const FormatRules map2 =
        FormatRules({}, {2111, 2120, 2121}).range(2112, 2119, T).range(2128, 2141, H);
    return byMap(mapVersion, map1, map2);
}

const FormatRules& threePhaseSettings(int mapVersion)
{
    static const FormatRules map1 = FormatRules({43027, 43062, 43063}, {})
                                        .range(43012, 43015, T)
                                        .range(43114, 43116, T)
                                        .pairsEveryFour(43044, 43065, H)
                                        .pairsEveryFour(43072, 43113, H);
    static const FormatRules map2 = FormatRules({40022, 40024, 40025, 40059, 40060}, {40110, 40111}, {40010})
                                        .range(40006, 40009, T)
                                        .range(40107, 40109, T)
                                        .pairsEveryFour(40041, 40106, H);
    return byMap(mapVersion, map1, map2);
}

const FormatRules& threePhaseReadings(int mapVersion)
{
    static const FormatRules map1 = FormatRules({43335}, {})
                                        .range(43241, 43260, T)
                                        .range(43238, 43240, H)
                                        .range(43261, 43264, H)
                                        .range(43275, 43322, H);
    static const FormatRules map2 = FormatRules({40337}, {})
                                        .range(40221, 40240, T)
                                        .range(40218, 40220, H)
                                        .range(40241, 40247, H)
                                        .range(40253, 40333, H);
    return byMap(mapVersion, map1, map2);
}

} // namespace halvana::BlockFormats
