// Writes inline XML to a file in a temporary folder and loads it through the real loader, with
// the four command kinds registered and a fixed table of path variables.
#pragma once

#include "commands/CommandKinds.h"
#include "config/ConfigurationLoader.h"
#include "xml/WideBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// The loader's wide form of a file path: UTF-16 on Windows, one character per byte elsewhere.
inline std::wstring LoaderPath(const std::filesystem::path& path)
{
#ifdef _WIN32
    return path.wstring();
#else
    return WidenBytes(path.string());
#endif
}

class ConfigurationFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() / "varnekite-config-tests" /
                 (std::string(test->test_suite_name()) + "." + test->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        table = {{L"VARNEKITE", L"C:\\Setup\\"}, {L"TEMP", LoaderPath(folder)}, {L"WINDIR", L"C:\\Windows"}};
        RegisterCommandKinds(handlers);
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // The path of the file written, as the loader takes it.
    std::wstring WriteFile(const std::string& name, const std::string& content)
    {
        std::ofstream(folder / name, std::ios::binary) << content;
        return LoaderPath(folder / name);
    }

    LoadOutcome LoadCommandLine(const std::wstring& commandLine)
    {
        return LoadConfiguration(settings, handlers, commandLine, table,
                                 [this](const std::wstring& message) { faults.push_back(message); });
    }

    // Loads the document, or <Varnekite><config>body</config></Varnekite>, without a fault.
    void Load(const std::string& xml)
    {
        ASSERT_EQ(LoadCommandLine(L"setup.exe <" + WriteFile("Varnekite.xml", xml)), LoadOutcome::Loaded);
        ASSERT_TRUE(faults.empty());
    }
    void LoadConfig(const std::string& body) { Load("<Varnekite><config>" + body + "</config></Varnekite>"); }

    std::filesystem::path folder;
    PathVariables table;
    CommandRegistry handlers;
    InstallSettings settings;
    std::vector<std::wstring> faults;
};
