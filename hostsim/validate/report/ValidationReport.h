// A validation's results as its supervisor saw them, and their two
// machine-readable forms: JUnit XML (one test case per group, the failure
// line as its message) for CI dashboards, and JSON. Portable: the texts come
// from any add-on (its name, its failures), so both forms make whatever
// bytes they are given valid UTF-8 and escape them.
#pragma once

#include <string>
#include <vector>

namespace hostsim {

struct GroupReport {
    std::string name;                // "audio"
    std::string status;              // "PASS", "FAIL" or "SKIP"
    std::string detail;              // what passed, the failure, or why it was skipped
    std::vector<std::string> notes;  // the figures and warnings printed under it
    double seconds = 0;
    long long calls = -1;  // calls into the add-on; -1 when its worker ended early
};

struct ValidationReport {
    std::string addOn;  // the DLL's path
    std::string level;  // "quick" or "full"
    unsigned seed = 0;
    std::string repeat;  // a command line that repeats the run
    double seconds = 0;
    std::vector<GroupReport> groups;

    int Count(const std::string& status) const;
};

std::string JUnitXml(const ValidationReport& report);
std::string Json(const ValidationReport& report);

// text with every byte that is not part of a valid UTF-8 sequence, and every
// control character but tab and line feed, replaced by '?'.
std::string CleanText(const std::string& text);

}  // namespace hostsim
