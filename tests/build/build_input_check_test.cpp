// What of a project cannot be written into its Makefile or build.bat. Each line of
// golden/build_inputs.txt is a change to the project C:\work\demo\ (a control character
// written as <0xNN>) and the findings that follow.

#include "build/build_input_check.h"

#include "golden.h"
#include "model/configuration.h"
#include "model/project.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

namespace avrtazu {
namespace {

std::string decoded(std::string text) {
    for (std::size_t at; (at = text.find("<0x")) != std::string::npos;) {
        text.replace(at, 6, 1, static_cast<char>(std::stoi(text.substr(at + 3, 2), nullptr, 16)));
    }
    return text;
}

std::string findingsAfter(const std::string& change) {
    const std::string value = decoded(change.substr(change.find(' ') + 1));
    Project p{"demo", "C:\\work\\demo\\"};
    p.addConfig(Configuration("default", "demo.cof"));
    p.setUsesTazuAvr(false);
    const std::map<std::string, std::function<void()>> changes{
        {"source", [&] { p.addSrcFile(SourceFile(value)); }},
        {"external", [&] { p.setUsesExtMakefile(true), p.addSrcFile(SourceFile(value)); }},
        {"name", [&] { p.setName(value); }},
        {"OUTPUTDIR", [&] { p.setOutputDirectory(value); }},
        {"OUTPUTFILENAME", [&] { p.setOutputFileName(value); }},
        {"INCLUDE", [&] { p.addIncludeDirectory(value); }},
        {"MACRODEFINITIONS", [&] { p.setMacroDefinitions(value); }},
        {"ECASB", [&] { p.setEcasb(value); }},
        {"PROGRAMMEMORY", [&] { p.setProgramMemory(value); }},
        {"RETURNSTACKSIZE", [&] { p.setReturnStackSize(value); }},
        {"installed-tools", [&] { p.setUsesTazuAvr(true), p.setMakeLocation(value); }},
        {"custom-tools", [&] { p.setMakeLocation(value); }},
    };
    changes.at(change.substr(0, change.find(' ')))();
    std::string text;
    for (const std::string& finding : BuildInputCheck::findings(p)) {
        text += (text.empty() ? "" : " | ") + finding;
    }
    return text.empty() ? "(none)" : text;
}

TEST(BuildInputCheckTest, NamesAndSettingsStayData) {
    test::expectEachLine("build_inputs.txt", findingsAfter);
}

} // namespace
} // namespace avrtazu
