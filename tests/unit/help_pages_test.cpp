// The help project the build makes (cmake/feature_lists.py): every announced feature has its
// page under its topic name with the table's syntax, the project compiles every page into the
// help file, and the index page, the contents and the index link each one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

#include "frame/help_topic.h"
#include "frame/plugin_identity.h"
#include "text/u16.h"

namespace {

const std::string kHelpDirectory = std::string(KV_HELP_DIR) + "/";

// Each feature's topic, and its syntax as the Syntax of its page begins.
const std::pair<std::string, std::string> kSyntaxes[] = {
#define KV_COMMAND(name, section, place, syntax, purpose) {#name, syntax},
#define KV_FUNCTION(name, section, place, syntax, purpose) {"f_" #name, "%" syntax},
#define KV_VARIABLE(name, section, place, syntax, purpose) {"v_" #name, "%" syntax},
#include "frame/features.def"
};

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
        const auto row = std::find_if(std::begin(kSyntaxes), std::end(kSyntaxes),
                                      [&](const auto& entry) { return entry.first == topic; });
        ASSERT_NE(row, std::end(kSyntaxes));
        const std::string_view opening = "<h2>Syntax</h2>\r\n<pre>";
        const size_t syntax = page.find(opening);
        ASSERT_NE(syntax, std::string::npos);
        EXPECT_EQ(page.compare(syntax + opening.size(), row->second.size(), row->second), 0)
            << row->second;
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
    // Nothing listed that is not there, nothing there that is not listed; and every file with
    // Windows line ends, as the help compiler gets them, the lists made from the table too.
    for (const std::string& file : files) EXPECT_FALSE(ReadFile(file).empty()) << file;
    for (const auto& entry : std::filesystem::directory_iterator(kHelpDirectory)) {
        const std::string name = entry.path().filename().string();
        if (name != "Korvanite.hhp" && name != "Korvanite.hhc" && name != "Korvanite.hhk") {
            EXPECT_EQ(files.count(name), 1u) << name;
        }
        const std::string content = ReadFile(name);
        for (size_t end = content.find('\n'); end != std::string::npos;
             end = content.find('\n', end + 1)) {
            ASSERT_TRUE(end > 0 && content[end - 1] == '\r') << name << " at byte " << end;
        }
    }
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
