// End to end: one configuration for many machines. Items for other architectures and models are
// not listed, conditions decided when reached see what earlier items did, and a failure where
// the configuration says stop ends the list.
#include "E2eSupport.h"
#include "VarnekiteRun.h"

#include <gtest/gtest.h>

#include <string>

using namespace e2e;

namespace {

class ManyMachinesE2e : public VarnekiteRun
{
public: // the window test drives runs of its own
    std::wstring LogPath() const { return folder.File(L"run.log"); }
    std::string LogElement() const { return "<log path='" + Attribute(Narrow(LogPath())) + "'/>"; }
    std::string Log() const { return ReadTextFile(LogPath()); }

    // The progress window's height while the list holds at its first item.
    int HeldWindowHeight(const std::string& items)
    {
        Start(Document(LogElement(), "<item name='Hold'>" + Hold() + "</item>" + items));
        // Whatever its width (the frame adds to the configured one): both runs are measured alike.
        const HWND window = WaitForWindow(child.Id(), [](HWND candidate) {
            return ClassName(candidate) == L"#32770" && WindowText(candidate).empty() && IsWindowVisible(candidate);
        }, kWindowTimeout);
        RECT rect = {};
        const bool measured = window != nullptr && GetWindowRect(window, &rect);
        Release();
        EXPECT_EQ(ExitCode(), 1u);
        return measured ? rect.bottom - rect.top : -1;
    }
};

bool Holds(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Under Wine the machine is 64-bit whichever build runs, and no model is "No Such Model": the
// items for x86 and for that model are not listed, so the window has the rows of the others.
TEST_F(ManyMachinesE2e, ItemsForOtherArchitecturesAndModelsAreNotListed)
{
    const std::string step = "<file command='dirdelete' directory='C:\\Nowhere\\x'/>";
    int withConditions = 0;
    {
        struct Run : ManyMachinesE2e { void TestBody() override {} } run;
        withConditions = run.HeldWindowHeight(
            "<item name='64-bit tools' if='arch = x64'>" + step + "</item>"
            "<item name='32-bit tools' if='arch = x86'>" + step + "</item>"
            "<item name='Dock drivers' if=\"model like 'No Such Model*' or manufacturer = 'No Such Maker'\">" + step +
            "</item><item name='Everywhere' if='windows ge 5.1 and programarch != arm64'>" + step + "</item>");
        const std::string log = run.Log();
        for (const char* part : {"item 3 \"32-bit tools\" passed over and not listed: arch \"x64\" is not \"x86\"",
                                 "item 4 \"Dock drivers\" passed over and not listed: ",
                                 "item 2/3 \"64-bit tools\": 1 command(s)", "item 3/3 \"Everywhere\": 1 command(s)"})
            EXPECT_TRUE(Holds(log, part)) << "no \"" << part << "\" in the log:\n" << log;
    }
    struct Run : ManyMachinesE2e { void TestBody() override {} } plain;
    const int withoutConditions = plain.HeldWindowHeight("<item name='64-bit tools'>" + step +
                                                         "</item><item name='Everywhere'>" + step + "</item>");
    EXPECT_GT(withConditions, 0);
    EXPECT_EQ(withConditions, withoutConditions);
}

// A condition is decided when its item is reached: the second item sees the file the first one
// wrote, and the third, which wants it missing, is passed over.
TEST_F(ManyMachinesE2e, ConditionsDecidedWhenReachedSeeWhatEarlierItemsDid)
{
    const std::string markers = Attribute(Narrow(MarkerPath()));
    Start(Document(LogElement(), "<item name='Writes'>" + Append("first") + "</item>"
                                 "<item name='Sees it' if=\"file('" + markers + "')\">" + Append("second") + "</item>"
                                 "<item name='Wants it missing' if=\"not file('" + markers + "')\">" + Append("third") +
                                 "</item><item name='Command'>" + Append("fourth") +
                                 "<file command='execute' program='C:\\Nowhere.exe' if=\"env('VARNEKITE_NO_SUCH')\"/>"
                                 "</item>"));
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "first\nsecond\nfourth\n");
    const std::string log = Log();
    for (const char* part : {"item 3/4 \"Wants it missing\" passed over: file '",
                             "command 5 execute passed over: env 'VARNEKITE_NO_SUCH' is not set"})
        EXPECT_TRUE(Holds(log, part)) << "no \"" << part << "\" in the log:\n" << log;
}

// A failed prerequisite with onfailure='stop' passes over the rest; the run's result is failure.
TEST_F(ManyMachinesE2e, AFailureWhereTheConfigurationSaysStopEndsTheList)
{
    Start(Document(LogElement() + "<exit result='true'/>",
                   "<item name='Prerequisite' onfailure='stop'>" + Append("before") +
                       "<file command='execute' program='" + Attribute(Narrow(marker)) +
                       "' arguments='exit 1603' hide='true'/>" + Append("same item") + "</item>"
                       "<item name='Application'>" + Append("after") + "</item>"));
    EXPECT_EQ(ExitCode(), 1603u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "before\n");
    const std::string log = Log();
    for (const char* part : {"command 2 execute failed and stops the list (onfailure=\"stop\"): the 2 command(s) "
                             "after it are passed over",
                             "result: exit code 1603, decided by command 2 execute"})
        EXPECT_TRUE(Holds(log, part)) << "no \"" << part << "\" in the log:\n" << log;
}

} // namespace
