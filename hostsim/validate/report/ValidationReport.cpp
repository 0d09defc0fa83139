#include "ValidationReport.h"

#include <cstdio>

namespace hostsim {
namespace {

// The length of the valid UTF-8 sequence at text[i], or 0.
std::size_t SequenceLength(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(i);
    std::size_t length = lead < 0x80             ? 1
                         : (lead & 0xE0) == 0xC0 ? 2
                         : (lead & 0xF0) == 0xE0 ? 3
                         : (lead & 0xF8) == 0xF0 ? 4
                                                 : 0;
    if (length == 0 || i + length > text.size()) return 0;
    unsigned code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const unsigned smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string Xml(const std::string& raw) {
    std::string text;
    for (char c : CleanText(raw)) {
        switch (c) {
            case '&': text += "&amp;"; break;
            case '<': text += "&lt;"; break;
            case '>': text += "&gt;"; break;
            case '"': text += "&quot;"; break;
            case '\'': text += "&apos;"; break;
            default: text += c;
        }
    }
    return text;
}

std::string JsonText(const std::string& raw) {
    std::string text = "\"";
    for (char c : CleanText(raw)) {
        switch (c) {
            case '"': text += "\\\""; break;
            case '\\': text += "\\\\"; break;
            case '\n': text += "\\n"; break;
            case '\t': text += "\\t"; break;
            default: text += c;
        }
    }
    return text + "\"";
}

// The file's own name, without its folders.
std::string FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string GroupOutput(const GroupReport& group) {
    std::string text;
    for (const std::string& note : group.notes) text += note + "\n";
    return text;
}

}  // namespace

std::string CleanText(const std::string& text) {
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(text, i);
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (length == 0 || (length == 1 && c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) {
            clean += '?';
            ++i;
        } else {
            clean.append(text, i, length);
            i += length;
        }
    }
    return clean;
}

int ValidationReport::Count(const std::string& status) const {
    int count = 0;
    for (const GroupReport& group : groups) count += group.status == status;
    return count;
}

std::string JUnitXml(const ValidationReport& report) {
    const std::string file = FileName(report.addOn);
    const std::string totals = " tests=\"" + std::to_string(report.groups.size()) +
                               "\" failures=\"" + std::to_string(report.Count("FAIL")) +
                               "\" errors=\"0\" skipped=\"" + std::to_string(report.Count("SKIP")) +
                               "\" time=\"" + Number(report.seconds) + "\"";
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += "<testsuites name=\"hostsim validate\"" + totals + ">\n";
    xml += "  <testsuite name=\"" + Xml(file) + "\"" + totals + ">\n";
    xml += "    <properties>\n";
    for (const auto& [name, value] : {std::pair<const char*, std::string>{"addOn", report.addOn},
                                      {"level", report.level},
                                      {"seed", std::to_string(report.seed)},
                                      {"repeat", report.repeat}})
        xml +=
            "      <property name=\"" + std::string(name) + "\" value=\"" + Xml(value) + "\"/>\n";
    xml += "    </properties>\n";
    for (const GroupReport& group : report.groups) {
        xml += "    <testcase name=\"" + Xml(group.name) + "\" classname=\"validate." + Xml(file) +
               "\" time=\"" + Number(group.seconds) + "\">\n";
        if (group.status == "FAIL")
            xml += "      <failure message=\"" + Xml(group.detail) + "\" type=\"" +
                   Xml(group.name) + "\">" + Xml(group.detail) + "</failure>\n";
        else if (group.status == "SKIP")
            xml += "      <skipped message=\"" + Xml(group.detail) + "\"/>\n";
        const std::string output =
            (group.status == "PASS" ? group.detail + "\n" : "") + GroupOutput(group);
        if (!output.empty()) xml += "      <system-out>" + Xml(output) + "</system-out>\n";
        xml += "    </testcase>\n";
    }
    xml += "  </testsuite>\n</testsuites>\n";
    return xml;
}

std::string Json(const ValidationReport& report) {
    std::string json = "{\n";
    json += "  \"addOn\": " + JsonText(report.addOn) + ",\n";
    json += "  \"level\": " + JsonText(report.level) + ",\n";
    json += "  \"seed\": " + std::to_string(report.seed) + ",\n";
    json += "  \"repeat\": " + JsonText(report.repeat) + ",\n";
    json += "  \"seconds\": " + Number(report.seconds) + ",\n";
    json += "  \"passed\": " + std::to_string(report.Count("PASS")) + ",\n";
    json += "  \"failed\": " + std::to_string(report.Count("FAIL")) + ",\n";
    json += "  \"skipped\": " + std::to_string(report.Count("SKIP")) + ",\n";
    json += "  \"groups\": [";
    for (std::size_t g = 0; g < report.groups.size(); ++g) {
        const GroupReport& group = report.groups[g];
        json += std::string(g ? "," : "") + "\n    {\"name\": " + JsonText(group.name) +
                ", \"status\": " + JsonText(group.status) +
                ", \"detail\": " + JsonText(group.detail) +
                ", \"seconds\": " + Number(group.seconds) + ", \"calls\": " +
                (group.calls < 0 ? std::string("null") : std::to_string(group.calls)) +
                ", \"notes\": [";
        for (std::size_t n = 0; n < group.notes.size(); ++n)
            json += std::string(n ? ", " : "") + JsonText(group.notes[n]);
        json += "]}";
    }
    json += "\n  ]\n}\n";
    return json;
}

}  // namespace hostsim
