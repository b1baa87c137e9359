// End to end: texts in Latin (with typographic quotes and the euro sign), Cyrillic and CJK,
// written in windows-1252, windows-1251, UTF-8 and UTF-16 configurations. The window must show
// exactly what it shows for the same texts written as character references in an ASCII file,
// and a folder command must find a folder named in that script.
#include "E2eSupport.h"
#include "VarnekiteRun.h"

#include <gtest/gtest.h>

#include <string>

using namespace e2e;

namespace {

struct Script
{
    const char* name;
    const wchar_t* title;
    const wchar_t* item;
    const wchar_t* folder;
};

const Script kLatin{"latin", L"Office \u2013 Gr\u00FC\u00DFe \u20AC", L"Admin\u2019s \u201CTools\u201D",
                    L"Ger\u00E4tetreiber"};
const Script kCyrillic{"cyrillic", L"\u0423\u0441\u0442\u0430\u043D\u043E\u0432\u043A\u0430",
                       L"\u0414\u0440\u0430\u0439\u0432\u0435\u0440\u044B", L"\u041F\u0430\u043F\u043A\u0430"};
const Script kCjk{"cjk", L"\u5B89\u88C5\u7A0B\u5E8F", L"\u9A71\u52A8\u7A0B\u5E8F", L"\u6587\u4EF6\u5939"};

enum class Encoding { CodePage1252, CodePage1251, Utf8, Utf16Le, Utf16Be, References };

std::wstring References(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        wchar_t reference[16];
        swprintf(reference, 16, L"&#x%X;", static_cast<unsigned>(c));
        out += c < 0x80 ? std::wstring(1, c) : std::wstring(reference);
    }
    return out;
}

std::string Encode(const std::wstring& text, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        std::string bytes = encoding == Encoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
        for (wchar_t c : text) {
            const char low = static_cast<char>(c & 0xFF), high = static_cast<char>((c >> 8) & 0xFF);
            bytes += encoding == Encoding::Utf16Le ? std::string{low, high} : std::string{high, low};
        }
        return bytes;
    }
    default: {
        const UINT codePage = encoding == Encoding::CodePage1252   ? 1252
                              : encoding == Encoding::CodePage1251 ? 1251
                                                                   : CP_UTF8;
        const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                             nullptr, nullptr);
        std::string bytes(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
        return bytes;
    }
    }
}

// Runs a configuration holding the script's texts in `encoding` until its held command,
// captures the window, and lets it end; the copy of the folder named in the script is checked.
Capture RunShowing(const Script& script, Encoding encoding)
{
    struct Run : VarnekiteRun { void TestBody() override {} } run;
    const std::wstring source = run.folder.File(script.folder);
    CreateDirectoryW(source.c_str(), nullptr);
    WriteTextFile(source + L"\\probe.txt", "probe");
    const bool asReferences = encoding == Encoding::References;
    const auto text = [&](const std::wstring& value) { return asReferences ? References(value) : value; };
    const std::wstring declaration = encoding == Encoding::CodePage1252   ? L" encoding='windows-1252'"
                                     : encoding == Encoding::CodePage1251 ? L" encoding='windows-1251'"
                                     : encoding == Encoding::Utf8         ? L" encoding='utf-8'"
                                                                          : L"";
    const std::wstring document =
        L"<?xml version='1.0'" + declaration + L"?>\n"
        L"<Varnekite><config><window width='360' position='4'/><font face='Tahoma' small='8' large='10'/>"
        L"<strings><title>" + text(script.title) + L"</title></strings>"
        L"<colours><progress border='#000000' back='#FFFFFF' fore='#20A040'/>"
        L"<header back='#202020' fore='#FFFFFF'/><footer back='#202020' fore='#FFFFFF'/>"
        L"<main back='#000000' fore='#FF00FF' current='#FFFF00' description='#00FFFF'/></colours></config>"
        L"<items><item name='" + text(script.item) + L"'><file command='dircopy' directory='" + run.folder.Path() +
        L"\\" + text(script.folder) + L"' target='" + run.folder.File(L"copy") + L"'/>" + Widen(run.Hold()) +
        L"</item></items></Varnekite>\n";
    run.Start(Encode(document, encoding));
    Capture capture;
    HWND window = run.WaitForProgressWindow(362);
    EXPECT_NE(window, nullptr);
    // The held command runs once the copy is done: its file is there.
    const std::wstring copied = run.folder.File(L"copy\\") + script.folder + L"\\probe.txt";
    EXPECT_TRUE(WaitUntil([&] { return ReadTextFile(copied) == "probe"; }, kWindowTimeout))
        << "the folder named in " << script.name << " was not copied";
    Sleep(300); // the window has repainted for the held command
    if (window != nullptr)
        CaptureWindow(window, capture);
    run.Release();
    EXPECT_EQ(run.ExitCode(), 1u);
    return capture;
}

void ExpectSameWindow(const Capture& shown, const Capture& expected, const char* what)
{
    ASSERT_GT(expected.width, 0) << what;
    ASSERT_EQ(shown.width, expected.width) << what;
    ASSERT_EQ(shown.height, expected.height) << what;
    size_t different = 0;
    for (size_t i = 0; i < shown.pixels.size(); ++i)
        different += shown.pixels[i] != expected.pixels[i] ? 1 : 0;
    EXPECT_EQ(different, 0u) << what << ": pixels unlike the same texts written as character references";
}

TEST(TextRun, LatinCyrillicAndCjkShowAsTheirCharactersFromUnicodeFiles)
{
    for (const Script* script : {&kLatin, &kCyrillic, &kCjk}) {
        SCOPED_TRACE(script->name);
        const Capture expected = RunShowing(*script, Encoding::References);
        ExpectSameWindow(RunShowing(*script, Encoding::Utf8), expected, "UTF-8");
        ExpectSameWindow(RunShowing(*script, Encoding::Utf16Le), expected, "UTF-16 LE");
        ExpectSameWindow(RunShowing(*script, Encoding::Utf16Be), expected, "UTF-16 BE");
    }
}

// A file without a mark or a UTF declaration is read in the machine's ANSI code page: these run
// where that code page is the script's (the Cyrillic one under a Russian locale, see CMake).
TEST(TextRun, TextsInTheAnsiCodePageShowAsTheirCharacters)
{
    const UINT codePage = GetACP();
    if (codePage != 1252 && codePage != 1251)
        GTEST_SKIP() << "ANSI code page " << codePage;
    const Script& script = codePage == 1252 ? kLatin : kCyrillic;
    const Capture expected = RunShowing(script, Encoding::References);
    ExpectSameWindow(RunShowing(script, codePage == 1252 ? Encoding::CodePage1252 : Encoding::CodePage1251), expected,
                     codePage == 1252 ? "windows-1252" : "windows-1251");
}

} // namespace
