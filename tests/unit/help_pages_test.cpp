// The help pages in the source tree: every announced feature has its page under its topic name,
// the help project compiles every page into the help file, and the index page links each one.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

#include "frame/help_topic.h"
#include "frame/plugin_identity.h"
#include "text/u16.h"

namespace {

const std::string kHelpDirectory = std::string(KV_SOURCE_DIR) + "/src/resources/help/";

// The whole file, or nothing when it cannot be read.
std::string ReadFile(const std::string& name) {
    std::ifstream file(kHelpDirectory + name, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

// The topic of every entry of the feature list.
std::set<std::string> FeatureTopics() {
    std::set<std::string> topics;
    std::u16string_view rest = plugin::kFeatureList;
    while (!rest.empty()) {
        const size_t comma = rest.find(u',');
        std::u16string entry(rest.substr(0, comma));
        rest = comma == std::u16string_view::npos ? std::u16string_view{} : rest.substr(comma + 1);
        char16_t topic[kTopicCapacity];
        EXPECT_TRUE(HelpTopicOf(entry.c_str(), topic)) << text::ToUtf8(entry);
        topics.insert(text::ToUtf8(topic));
    }
    return topics;
}

// The lines of the project file's [FILES] section.
std::set<std::string> ProjectFiles(const std::string& project) {
    std::set<std::string> files;
    std::istringstream lines(project);
    std::string line;
    bool inFiles = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inFiles = line == "[FILES]";
            continue;
        }
        if (inFiles && !line.empty()) files.insert(line);
    }
    return files;
}

TEST(HelpPages, EveryFeatureHasItsPageWithEverySection) {
    const std::set<std::string> topics = FeatureTopics();
    // One topic of its own for every feature the list announces.
    const std::u16string_view list = plugin::kFeatureList;
    EXPECT_EQ(topics.size(), static_cast<size_t>(std::count(list.begin(), list.end(), u',') + 1));
    for (const std::string& topic : topics) {
        SCOPED_TRACE(topic);
        const std::string page = ReadFile(topic + ".html");
        ASSERT_FALSE(page.empty()) << "no page " << topic << ".html";
        for (const char* section : {"<title>", "<h2>Syntax</h2>", "<h2>Result</h2>",
                                    "<h2>Messages</h2>", "<h2>Example</h2>"})
            EXPECT_NE(page.find(section), std::string::npos) << section;
        // The pages are plain ASCII, with references for other characters, so that they read
        // the same whatever code page the help compiler assumes.
        for (unsigned char c : page) EXPECT_LT(c, 0x80u);
    }
}

TEST(HelpPages, TheProjectCompilesEveryPageIntoKorvaniteChm) {
    const std::string project = ReadFile("Korvanite.hhp");
    ASSERT_FALSE(project.empty());
    EXPECT_NE(project.find("Compiled file=Korvanite.chm"), std::string::npos);
    EXPECT_NE(project.find("Default topic=index.html"), std::string::npos);
    const std::set<std::string> files = ProjectFiles(project);
    for (const std::string& topic : FeatureTopics())
        EXPECT_EQ(files.count(topic + ".html"), 1u) << topic;
    EXPECT_EQ(files.count("index.html"), 1u);
    // Nothing listed that is not there.
    for (const std::string& file : files) EXPECT_FALSE(ReadFile(file).empty()) << file;
}

TEST(HelpPages, TheIndexAndTheContentsLinkEveryPage) {
    const std::string index = ReadFile("index.html");
    const std::string contents = ReadFile("Korvanite.hhc");
    const std::string keywords = ReadFile("Korvanite.hhk");
    ASSERT_FALSE(index.empty());
    ASSERT_FALSE(contents.empty());
    ASSERT_FALSE(keywords.empty());
    for (const std::string& topic : FeatureTopics()) {
        EXPECT_NE(index.find("href=\"" + topic + ".html\""), std::string::npos) << topic;
        EXPECT_NE(contents.find("value=\"" + topic + ".html\""), std::string::npos) << topic;
        EXPECT_NE(keywords.find("value=\"" + topic + ".html\""), std::string::npos) << topic;
    }
}

} // namespace
