// What this process holds: kernel handles, GDI objects, USER objects and
// committed memory. Where the system does not count GDI or USER objects
// (GetGuiResources is not implemented under Wine), they are counted from
// the process's GDI handle table and as the windows of its threads; a
// count that cannot be taken is -1.
#pragma once

#include <string>

namespace hostsim {

struct ResourceCounts {
    long long handles = -1;
    long long gdiObjects = -1;
    long long userObjects = -1;
    long long committedBytes = -1;
};

ResourceCounts MeasureResources();

// How each count grew from before to after, against the allowance; empty
// when none grew beyond it.
std::string ResourceGrowthBeyondAllowance(const ResourceCounts& before,
                                          const ResourceCounts& after);
// "handles 41, GDI objects 30, USER objects 2, committed 5.2 MiB"
std::string DescribeResources(const ResourceCounts& counts);
std::string DescribeResourceAllowance();
// "GDI objects +42, handles +3": the counts that grew, empty when none did.
std::string DescribeGrowth(const ResourceCounts& before, const ResourceCounts& after);

}  // namespace hostsim
