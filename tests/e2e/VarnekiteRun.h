// The end-to-end tests' run of Varnekite.exe: a configuration written into a temporary folder,
// the real program started on it ("Varnekite.exe <C:\\...\\config.xml") and observed from
// outside. Execute commands start MarkerWriter, which appends marker lines or holds the run
// until the test releases it.
#pragma once

#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace e2e {

constexpr DWORD kExitTimeout = 30000;
constexpr DWORD kWindowTimeout = 15000;
constexpr DWORD kHoldLimit = 60000; // a held command gives up on its own after this

inline std::string Attribute(const std::string& text) // the configuration's attribute values are single-quoted
{
    std::string escaped;
    for (char c : text) {
        if (c == '&') escaped += "&amp;";
        else if (c == '<') escaped += "&lt;";
        else if (c == '>') escaped += "&gt;"; // a bare '>' would end the tag
        else if (c == '\'') escaped += "&apos;";
        else escaped.push_back(c);
    }
    return escaped;
}

class VarnekiteRun : public testing::Test
{
public: // the table-driven window test drives runs of its own
    std::wstring ConfigPath() const { return folder.File(L"config.xml"); }
    std::wstring MarkerPath() const { return folder.File(L"markers.txt"); }

    void Start(const std::string& configuration)
    {
        WriteTextFile(ConfigPath(), configuration);
        StartWithPath(ConfigPath());
    }
    void StartWithPath(const std::wstring& configPath)
    {
        ASSERT_TRUE(child.Start(exe, L"<" + configPath, folder.Path())) << "cannot start " << Narrow(exe);
    }

    std::string Execute(const std::string& arguments, const char* name = "step") const
    {
        return "<file command='execute' name='" + std::string(name) + "' program='" + Attribute(Narrow(marker)) +
               "' arguments='" + Attribute(arguments) + "' hide='true'/>";
    }
    std::string Append(const std::string& text) const
    {
        return Execute("append \"" + Narrow(MarkerPath()) + "\" " + text, text.c_str());
    }
    std::string Hold() const
    {
        return Execute("hold \"" + Narrow(folder.File(L"release.txt")) + "\" " + std::to_string(kHoldLimit), "hold");
    }
    void Release() { WriteTextFile(folder.File(L"release.txt"), "go"); }

    // The progress window: an untitled dialog of the child, visible and `width` pixels wide.
    HWND WaitForProgressWindow(int width)
    {
        return WaitForWindow(child.Id(), [&](HWND window) {
            RECT rect = {};
            return ClassName(window) == L"#32770" && WindowText(window).empty() && IsWindowVisible(window) &&
                   GetWindowRect(window, &rect) && rect.right - rect.left == width;
        }, kWindowTimeout);
    }
    HWND WaitForErrorBox()
    {
        return WaitForWindow(child.Id(), [](HWND window) {
            return ClassName(window) == L"#32770" && WindowText(window) == L"Configuration Error";
        }, kWindowTimeout);
    }
    DWORD ExitCode()
    {
        DWORD code = 0;
        EXPECT_TRUE(child.WaitForExit(kExitTimeout, code)) << "the program did not end in time";
        return code;
    }

    static std::string Document(const std::string& config, const std::string& items)
    {
        return "<?xml version='1.0'?>\n<Varnekite>\n<config>" + config + "</config>\n<items>" + items +
               "</items>\n</Varnekite>\n";
    }

    const std::wstring exe = WindowsPath(VARNEKITE_EXE_PATH);
    const std::wstring marker = WindowsPath(VARNEKITE_MARKER_WRITER_PATH);
    TempFolder folder;
    ChildProcess child;
};

} // namespace e2e
