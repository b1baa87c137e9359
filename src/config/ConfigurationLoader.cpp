// The configuration loader. The XML cursor keeps its child position from one lookup to the
// next, so the order of the reads below decides which elements are found; it is kept exactly
// (a `strings` element before the `font` that ended the last font lookup is not read, every
// `colours` element assigns every colour, `items` is searched after `config`).
#include "config/ConfigurationLoader.h"

#include "config/AnsiText.h"
#include "config/ConfigurationFile.h"
#include "config/ElementReader.h"
#include "config/ValueFormats.h"
#include "xml/AsciiText.h"
#include "xml/XmlDocument.h"

#include <climits>
#include <exception>

const wchar_t kErrorOpeningText[] = L"Error opening: \n";
const wchar_t kWrongRootText[] = L"Could not find element:\nVarnekite";

namespace {

const wchar_t kDefaultConfigurationPath[] = L"%VARNEKITE%\\Varnekite.xml";

// An attribute of the first child of that name under the current element whose value is not
// empty; `fallback` when none has one.
int32_t ChildInteger(XmlDocument& document, const char* element, const char* attribute, int32_t fallback)
{
    const std::string value = document.ChildAttributeByName(element, attribute);
    return value.empty() ? fallback : ParseInteger(value);
}

uint32_t ChildColour(XmlDocument& document, const char* element, const char* attribute)
{
    return ParseColour(document.ChildAttributeByName(element, attribute));
}

// "after" rows, clamped against "total": never negative, then below total. Saturates instead
// of wrapping when total is the smallest 32-bit value.
int32_t ClampShowAfter(int32_t total, int32_t after)
{
    if (after < 0)
        after = 0;
    if (after >= total)
        after = total == INT32_MIN ? INT32_MIN : total - 1;
    return after;
}

// The panel's picture path: empty means no picture; otherwise stored expanded. The window
// creates the picture from it.
void ReadImagePath(ElementReader& reader, const char* element, PanelSettings& panel)
{
    panel.imagePath = reader.ChildAttributePath(element, "image");
}

// Colours and pictures of one `colours` element, the cursor standing inside it. Every value
// is assigned, so a later `colours` element replaces all of an earlier one's.
void ReadColours(ElementReader& reader, InstallSettings& settings)
{
    XmlDocument& document = reader.Document();
    const uint32_t progressBorder = ChildColour(document, "progress", "border");
    const uint32_t progressBack = ChildColour(document, "progress", "back");
    const uint32_t progressFore = ChildColour(document, "progress", "fore");
    for (PanelSettings* panel : {&settings.header, &settings.footer,
                                 static_cast<PanelSettings*>(&settings.main)}) {
        panel->progressBorder = progressBorder;
        panel->progressBack = progressBack;
        panel->progressFore = progressFore;
    }

    settings.header.backColour = ChildColour(document, "header", "back");
    settings.header.foreColour = ChildColour(document, "header", "fore");
    ReadImagePath(reader, "header", settings.header);

    settings.footer.backColour = ChildColour(document, "footer", "back");
    settings.footer.foreColour = ChildColour(document, "footer", "fore");
    ReadImagePath(reader, "footer", settings.footer);

    settings.main.backColour = ChildColour(document, "main", "back");
    settings.main.foreColour = ChildColour(document, "main", "fore");
    settings.main.currentColour = ChildColour(document, "main", "current");
    settings.main.descriptionColour = ChildColour(document, "main", "description");
    ReadImagePath(reader, "main", settings.main);
}

// The `config` element, the cursor standing inside it.
void ReadConfig(ElementReader& reader, InstallSettings& settings)
{
    XmlDocument& document = reader.Document();
    settings.hideWindowTitle = reader.ChildText("hidewindow");

    // Each of these lookups rewinds the child position first, so they are found anywhere.
    const int32_t showTotal = ChildInteger(document, "show", "total", defaults::kShowTotal);
    const int32_t showAfter = ChildInteger(document, "show", "after", defaults::kShowAfter);
    settings.windowWidth = ChildInteger(document, "window", "width", defaults::kWindowWidth);
    settings.windowPosition = ChildInteger(document, "window", "position", defaults::kWindowPosition);
    settings.main.fixMain = ChildInteger(document, "window", "fixmain", defaults::kFixMain);
    const std::wstring face = reader.ChildAttributeText("font", "face");
    settings.fontFace = face.empty() ? std::wstring(defaults::kFontFace) : face;
    settings.antialias = ParseBoolean(document.ChildAttributeByName("font", "antialias"));
    settings.smallFontSize = ChildInteger(document, "font", "small", defaults::kFontSize);
    settings.largeFontSize = ChildInteger(document, "font", "large", defaults::kFontSize);

    settings.main.showTotal = showTotal;
    settings.main.showAfter = ClampShowAfter(showTotal, showAfter);

    // Not rewound: the search goes on after the `font` child where the last lookup stopped.
    if (document.NextChild("strings")) {
        document.Descend();
        settings.titleText = reader.ChildText("title");
        settings.completeText = reader.ChildText("complete");
        settings.copyText = reader.ChildText("copy");
        settings.moveText = reader.ChildText("move");
        settings.deleteText = reader.ChildText("delete");
        document.Ascend();
    }

    document.RewindChildren();
    while (document.NextChild("colours")) {
        document.Descend();
        ReadColours(reader, settings);
        document.Ascend();
    }
}

// One `file` element, the cursor standing on it. Unknown kinds, and kinds without a parse
// callback, are dropped.
void ReadFileElement(ElementReader& reader, const CommandRegistry& handlers, size_t item, InstallSettings& settings)
{
    InstallCommand command;
    command.commandName = reader.Text("command");
    command.item = item;
    const CommandHandler* handler = handlers.FindHandler(command.commandName);
    if (handler == nullptr || handler->parse == nullptr)
        return;
    handler->parse(reader, command);
    settings.commands.push_back(std::move(command));
}

// The `items` element, the cursor standing inside it.
void ReadItems(ElementReader& reader, const CommandRegistry& handlers, InstallSettings& settings)
{
    XmlDocument& document = reader.Document();
    // The lists get their size first: a list that grows briefly holds its old and new copies.
    size_t itemCount = 0;
    size_t fileCount = 0;
    while (document.NextChild("item")) {
        ++itemCount;
        document.Descend();
        while (document.NextChild("file"))
            ++fileCount;
        document.Ascend();
    }
    document.RewindChildren();
    settings.items.reserve(itemCount);
    settings.commands.reserve(fileCount);

    while (document.NextChild("item")) {
        document.Descend();
        settings.items.push_back(reader.Text("name"));
        const size_t item = settings.items.size() - 1;
        while (document.NextChild("file")) {
            document.Descend();
            ReadFileElement(reader, handlers, item, settings);
            document.Ascend();
        }
        document.Ascend();
    }
}

} // namespace

std::wstring ConfigurationPathFromCommandLine(const std::wstring& commandLine)
{
    const size_t lastLessThan = commandLine.rfind(L'<');
    if (lastLessThan == std::wstring::npos)
        return kDefaultConfigurationPath;
    // Launchers quote an argument that holds spaces, and the quote then closes after the path:
    // no Windows file name holds a quote, so quotes and the white space around the path go.
    std::wstring path;
    for (size_t i = lastLessThan + 1; i < commandLine.size(); ++i)
        if (commandLine[i] != L'"')
            path.push_back(commandLine[i]);
    const size_t first = path.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return std::wstring();
    return path.substr(first, path.find_last_not_of(L" \t") - first + 1);
}

LoadOutcome ReadConfigurationDocument(InstallSettings& settings, const CommandRegistry& handlers,
                                      XmlDocument& document, TextEncoding encoding, const PathVariables& table,
                                      const std::wstring& expandedPath,
                                      const ConfigurationErrorHandler& showConfigurationError)
{
    document.Rewind();
    if (!document.NextElement(nullptr)) {
        showConfigurationError(kErrorOpeningText + expandedPath);
        return LoadOutcome::CannotOpen;
    }
    if (!EqualsIgnoreAsciiCase(document.TagName(), "Varnekite")) {
        showConfigurationError(kWrongRootText);
        return LoadOutcome::WrongRoot;
    }

    ElementReader reader(document, encoding, table);
    // Without `config` the root's child position stays put and `items` is searched from the
    // first child; with it, the search starts after `config`.
    if (document.NextChild("config")) {
        document.Descend();
        ReadConfig(reader, settings);
        document.Ascend();
    }

    if (document.NextChild("items")) {
        document.Descend();
        ReadItems(reader, handlers, settings);
        document.Ascend();
    }
    settings.itemCommands = ItemCommands(settings.items.size(), settings.commands);
    return LoadOutcome::Loaded;
}

LoadOutcome LoadConfiguration(InstallSettings& settings, const CommandRegistry& handlers,
                              const std::wstring& commandLine, const PathVariables& table,
                              const ConfigurationErrorHandler& showConfigurationError)
{
    std::wstring configPath = ConfigurationPathFromCommandLine(commandLine);
    ExpandVariables(configPath, table);
    try {
        // A failed load shows in the root check: the document then has no element.
        XmlDocument document;
        const TextEncoding encoding = LoadConfigurationFile(document, configPath);
        return ReadConfigurationDocument(settings, handlers, document, encoding, table, configPath,
                                         showConfigurationError);
    } catch (const std::exception&) {
        // Out of memory (a configuration far larger than any real one): the file cannot be
        // used, and says so like a file that cannot be read. What was read so far goes first.
        settings = InstallSettings();
        showConfigurationError(kErrorOpeningText + configPath);
        return LoadOutcome::CannotOpen;
    }
}

LoadOutcome LoadConfiguration(InstallSettings& settings, const CommandRegistry& handlers,
                              const std::wstring& commandLine, const PathVariableSource& variables,
                              const ConfigurationErrorHandler& showConfigurationError)
{
    PathVariables table;
    BuildPathVariables(table, variables);
    return LoadConfiguration(settings, handlers, commandLine, table, showConfigurationError);
}
