// The validation's JUnit XML and JSON, read back by real parsers: whatever
// bytes an add-on's texts hold, both stay well-formed and say what the
// lines said.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <nlohmann/json.hpp>
#include <string>

#include "hostsim/validate/report/ValidationReport.h"

namespace {

using hostsim::GroupReport;
using hostsim::ValidationReport;

ValidationReport Awkward() {
    ValidationReport report;
    report.addOn = "Z:\\add-ons\\\"Odd\" & <Co>.dll";
    report.level = "full";
    report.seed = 7;
    report.repeat = "hostsim validate --seed 7 \"Z:\\add-ons\\\"Odd\" & <Co>.dll\"";
    report.seconds = 12.5;
    // Texts as foreign add-ons give them: markup, a control byte, Latin-1
    // and an overlong sequence beside proper UTF-8.
    report.groups = {
        {"identity", "PASS", "\"Caf\xe9\" <b>&amp;</b>\x01 \xc0\x80 \xc2\xb5s", {}, 0.25, 6},
        {"audio",
         "FAIL",
         "0x20000 at 44100 Hz, mono: a ]]> and a \"quote\"",
         {"warning: \t1"},
         3,
         900},
        {"threads", "SKIP", "full level only", {}, 0, -1},
    };
    return report;
}

TEST(ValidationReport, JUnitXmlParsesAndHoldsEachGroup) {
    const std::string xml = hostsim::JUnitXml(Awkward());
    xmlDocPtr document = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "report.xml",
                                       "UTF-8", XML_PARSE_NONET | XML_PARSE_NOERROR);
    ASSERT_NE(document, nullptr) << xml;
    const xmlNode* suites = xmlDocGetRootElement(document);
    EXPECT_STREQ(reinterpret_cast<const char*>(suites->name), "testsuites");
    auto attribute = [](const xmlNode* node, const char* name) {
        xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
        std::string text = value ? reinterpret_cast<const char*>(value) : "<none>";
        xmlFree(value);
        return text;
    };
    EXPECT_EQ(attribute(suites, "tests"), "3");
    EXPECT_EQ(attribute(suites, "failures"), "1");
    EXPECT_EQ(attribute(suites, "skipped"), "1");
    const xmlNode* suite = xmlFirstElementChild(const_cast<xmlNode*>(suites));
    EXPECT_EQ(attribute(suite, "name"), "\"Odd\" & <Co>.dll");
    std::vector<std::string> names, outcomes;
    for (const xmlNode* node = xmlFirstElementChild(const_cast<xmlNode*>(suite)); node;
         node = xmlNextElementSibling(const_cast<xmlNode*>(node))) {
        if (std::string(reinterpret_cast<const char*>(node->name)) != "testcase") continue;
        names.push_back(attribute(node, "name"));
        const xmlNode* child = xmlFirstElementChild(const_cast<xmlNode*>(node));
        outcomes.push_back(child ? reinterpret_cast<const char*>(child->name) : "");
        if (outcomes.back() == "failure") {
            EXPECT_EQ(attribute(child, "message"),
                      "0x20000 at 44100 Hz, mono: a ]]> and a \"quote\"");
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"identity", "audio", "threads"}));
    EXPECT_EQ(outcomes, (std::vector<std::string>{"system-out", "failure", "skipped"}));
    xmlFreeDoc(document);
}

TEST(ValidationReport, JsonParsesAndHoldsEachGroup) {
    const nlohmann::json json = nlohmann::json::parse(hostsim::Json(Awkward()));
    EXPECT_EQ(json["seed"], 7);
    EXPECT_EQ(json["failed"], 1);
    EXPECT_EQ(json["addOn"], "Z:\\add-ons\\\"Odd\" & <Co>.dll");
    ASSERT_EQ(json["groups"].size(), 3u);
    // Bytes that are not UTF-8, and control bytes, become '?'.
    EXPECT_EQ(json["groups"][0]["detail"], "\"Caf?\" <b>&amp;</b>? ?? \xc2\xb5s");
    EXPECT_EQ(json["groups"][1]["notes"][0], "warning: \t1");
    EXPECT_EQ(json["groups"][1]["calls"], 900);
    EXPECT_TRUE(json["groups"][2]["calls"].is_null());
}

}  // namespace
