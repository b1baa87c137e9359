// The variables of one run: the configuration's folder as %VARNEKITECONFIG%, the values given
// for the run, and which of them the configuration's own path sees.
#include "config/RunVariables.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

PathVariables Machine()
{
    return {{L"VARNEKITE", L"C:\\Program\\"}, {L"TEMP", L"C:\\Temp"}, {kConfigurationFolderVariable, L""},
            {L"SITE", L"Paris", true}};
}

TEST(LocateConfiguration, TheFolderOfTheExpandedPathIsTheConfigurationFolder)
{
    const auto inWork = [](const std::wstring& path) { return L"D:\\Work\\" + path; };
    struct Case
    {
        std::wstring written;
        PathVariables given;
        std::function<std::wstring(const std::wstring&)> fullPath;
        std::wstring path;
        std::wstring folder;
    };
    const Case cases[] = {
        {L"%VARNEKITE%\\Varnekite.xml", {}, nullptr, L"C:\\Program\\Varnekite.xml", L"C:\\Program\\"},
        {L"%temp%\\My Setup\\x.xml", {}, nullptr, L"C:\\Temp\\My Setup\\x.xml", L"C:\\Temp\\My Setup\\"},
        {L"\\\\srv\\share\\x.xml", {}, nullptr, L"\\\\srv\\share\\x.xml", L"\\\\srv\\share\\"},
        {L"x.xml", {}, inWork, L"x.xml", L"D:\\Work\\"},  // opened from the current folder
        {L"x.xml", {}, nullptr, L"x.xml", L""},
        {L"/media/setup/x.xml", {}, nullptr, L"/media/setup/x.xml", L"/media/setup/"},
        // The given values reach the path: a path variable, a new name, one the machine has.
        {L"%VARNEKITE%x.xml", {{L"VARNEKITE", L"E:\\"}}, nullptr, L"E:\\x.xml", L"E:\\"},
        {L"%DIST%\\%SITE%.xml", {{L"DIST", L"F:\\d"}, {L"SITE", L"Berlin"}}, nullptr, L"F:\\d\\Berlin.xml", L"F:\\d\\"},
        // In its own path the folder is not known yet.
        {L"%VARNEKITECONFIG%x.xml", {}, nullptr, L"x.xml", L""},
        // A value given for the run wins over the path's folder.
        {L"C:\\a\\x.xml", {{kConfigurationFolderVariable, L"G:\\"}}, nullptr, L"C:\\a\\x.xml", L"G:\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.written));
        PathVariables table = Machine();
        EXPECT_EQ(LocateConfiguration(table, c.written, c.given, c.fullPath), c.path);
        EXPECT_EQ(PathVariableValue(table, kConfigurationFolderVariable), c.folder);
        // The run's table holds the given values too, for the configuration's paths.
        for (const PathVariable& given : c.given) {
            std::wstring reference = L"%" + given.name + L"%";
            ExpandVariables(reference, table);
            EXPECT_EQ(reference, given.value);
        }
    }
}

TEST(LocateConfiguration, APathInTheConfigurationNamesItsFolder)
{
    PathVariables table = Machine();
    LocateConfiguration(table, L"%TEMP%\\cfg\\x.xml", {}, nullptr);
    std::wstring program = L"%VARNEKITECONFIG%\\tools\\setup.exe";
    ExpandVariables(program, table);
    EXPECT_EQ(program, L"C:\\Temp\\cfg\\tools\\setup.exe"); // one backslash, as with %VARNEKITE%
    std::wstring beside = L"%varnekiteconfig%setup.exe /log %VARNEKITE%x";
    ExpandVariables(beside, table);
    EXPECT_EQ(beside, L"C:\\Temp\\cfg\\setup.exe /log C:\\Program\\x");
}

// A table without the entry (an older caller's) gets one, so the name still expands.
TEST(LocateConfiguration, AddsTheFolderToATableWithoutIt)
{
    PathVariables table = {{L"VARNEKITE", L"C:\\Program\\"}};
    LocateConfiguration(table, L"C:\\cfg\\x.xml", {}, nullptr);
    std::wstring text = L"%VARNEKITECONFIG%a";
    ExpandVariables(text, table);
    EXPECT_EQ(text, L"C:\\cfg\\a");
    EXPECT_TRUE(IsPathVariableName(kConfigurationFolderVariable));
}

} // namespace
