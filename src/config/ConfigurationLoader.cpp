// The configuration loader. The XML cursor keeps its child position from one lookup to the
// next, so the order of the reads below decides which elements are found; it is kept exactly
// (a `strings` element before the `font` that ended the last font lookup is not read, every
// `colours` element assigns every colour, `items` is searched after `config`).
#include "config/ConfigurationLoader.h"

#include "config/AnsiText.h"
#include "config/ConfigurationFile.h"
#include "config/ConfigurationSchema.h"
#include "config/ElementReader.h"
#include "config/RunVariables.h"
#include "config/RunRuleReader.h"
#include "config/ValueFormats.h"
#include "xml/AsciiText.h"
#include "xml/WideBytes.h"
#include "xml/XmlDocument.h"

#include <climits>
#include <exception>

const wchar_t kErrorOpeningText[] = L"Error opening: \n";
const wchar_t kWrongRootText[] = L"Could not find element:\nVarnekite";

namespace {

// An attribute of the first child of that name under the current element whose value is not
// empty; `fallback` when none has one.
int32_t ChildInteger(XmlDocument& document, const char* element, const char* attribute, int32_t fallback)
{
    const std::string value = document.ChildAttributeByName(element, attribute);
    return value.empty() ? fallback : ParseInteger(value);
}

// The first `log` element with a `path` attribute sets the log's path, even to nothing; the
// first with a `format` its format.
void ReadLog(ElementReader& reader, LogSettings& log)
{
    XmlDocument& document = reader.Document();
    document.RewindChildren();
    const std::wstring format = reader.ChildAttributeText("log", "format");
    log.viewerFormat = EqualsIgnoreAsciiCase(format, L"cmtrace");
    if (reader.Report().On() && !format.empty() && !log.viewerFormat && !EqualsIgnoreAsciiCase(format, L"plain"))
        reader.Report().At(reader.ChildAttributeOffset("format"), Severity::Warning,
                           L"log format is \"plain\" or \"cmtrace\", not \"" + format + L"\"; the log is plain");
    document.RewindChildren();
    while (document.NextChild("log")) {
        for (const XmlDocument::AttributeSpan& span : document.Attributes(document.ChildIndex())) {
            if (span.name != "path")
                continue;
            log.pathGiven = true;
            log.path = reader.ChildAttributePath("log", "path");
            document.RewindChildren();
            return;
        }
    }
    document.RewindChildren();
}

// The first `exit` element: whether the exit code tells the outcome, and its three codes.
void ReadExit(ElementReader& reader, ExitSettings& exit)
{
    XmlDocument& document = reader.Document();
    document.RewindChildren();
    if (!document.NextChild("exit"))
        return;
    exit.given = true;
    exit.fromOutcomes = ParseBoolean(document.ChildAttribute("result"));
    exit.failureFromProgram = EqualsIgnoreAsciiCase(document.ChildAttribute("failure"), kFailureFromProgram);
    for (auto [name, code] : {std::pair<const char*, uint32_t*>{"success", &exit.success},
                              {"restart", &exit.restart}, {"failure", &exit.failure}}) {
        uint32_t value = 0;
        if (ParseExitCode(document.ChildAttribute(name), value))
            *code = value;
    }
    document.RewindChildren();
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

// [SECTION] Checks made on the way (only with a report)

const SchemaElement& SchemaOf(std::string_view name, std::string_view parent)
{
    static const SchemaElement none{};
    const SchemaElement* found = FindSchemaElement(name, parent);
    return found != nullptr ? *found : none;
}

std::vector<int32_t> ChildrenOf(const XmlDocument& document, int32_t index)
{
    std::vector<int32_t> children;
    if (index <= 0)
        return children;
    for (int32_t child = document.FirstChild(index); child != 0; child = document.NextSibling(index, child))
        children.push_back(child);
    return children;
}

// Names and values of an element the loader reads, and of its children the schema knows.
void CheckElement(const ElementReader& reader, int32_t index, const SchemaElement& schema)
{
    reader.CheckAttributes(index, schema.attributes);
    reader.CheckChildren(index, schema.children);
    const XmlDocument& document = reader.Document();
    for (int32_t child : ChildrenOf(document, index)) {
        const SchemaElement* known = FindSchemaElement(document.ElementName(child), schema.name);
        // The install list is checked as it is read, each file with its kind's attributes.
        if (known != nullptr && known->name != "items" && known->name != "item" && known->name != "file")
            CheckElement(reader, child, *known);
    }
}

// The elements of `config` that its reading order passes over, and colours nobody can see.
void CheckConfigPlaces(const ElementReader& reader, int32_t config, int32_t readStrings,
                       const InstallSettings& settings)
{
    const XmlDocument& document = reader.Document();
    int32_t lastColours = 0;
    for (int32_t child : ChildrenOf(document, config)) {
        const std::string_view name = document.ElementName(child);
        if (name == "strings" && child != readStrings)
            reader.WarnAt(child, readStrings == 0 || child < readStrings
                                     ? L"<strings> stands before the last <font> element and is not read: write it after font"
                                     : L"only one <strings> element is read; this one is not");
        if (name == "colours") {
            if (lastColours != 0)
                reader.WarnAt(lastColours, L"a later <colours> element replaces all of this one's colours");
            lastColours = child;
        }
    }
    if (lastColours == 0) {
        reader.WarnAt(config, L"without a <colours> element every colour is opaque black: all text is invisible");
        return;
    }
    struct TextColour { const char* panel; const char* attribute; uint32_t colour; };
    const TextColour texts[] = {
        {"header", "fore", settings.header.foreColour}, {"footer", "fore", settings.footer.foreColour},
        {"main", "fore", settings.main.foreColour},     {"main", "current", settings.main.currentColour},
        {"main", "description", settings.main.descriptionColour},
    };
    for (const TextColour& text : texts) {
        if ((text.colour >> 24) != 0)
            continue;
        int32_t at = lastColours;
        for (int32_t child : ChildrenOf(document, lastColours))
            if (document.ElementName(child) == text.panel)
                at = child;
        reader.WarnAt(at, L"the " + WidenBytes(text.panel) + L" " + WidenBytes(text.attribute) +
                              L" colour is fully transparent: text drawn in it is invisible");
    }
}

// The root's children that the reading order passes over.
void CheckRootPlaces(const ElementReader& reader, int32_t root, int32_t readConfig, int32_t readItems)
{
    const XmlDocument& document = reader.Document();
    for (int32_t child : ChildrenOf(document, root)) {
        const std::string_view name = document.ElementName(child);
        if (name == "config" && child != readConfig)
            reader.WarnAt(child, L"only the first <config> element is read; this one is not");
        if (name == "items" && child != readItems)
            reader.WarnAt(child, readConfig != 0 && child < readConfig
                                     ? L"<items> stands before <config> and is not read: put it after config"
                                     : L"only the first <items> element after <config> is read; this one is not");
    }
}

// The panel's picture path: empty means no picture; otherwise stored expanded. The window
// creates the picture from it.
void ReadImagePath(ElementReader& reader, const char* element, PanelSettings& panel)
{
    panel.imagePath = reader.ChildAttributePath(element, "image");
    if (reader.Report().On() && !panel.imagePath.empty())
        reader.CheckBesideConfiguration(reader.ChildAttributeText(element, "image"), panel.imagePath,
                                        reader.ChildAttributeOffset("image"));
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
    const std::string failed = document.ChildAttributeByName("main", "failed");
    settings.main.failedColourGiven = !failed.empty();
    settings.main.failedColour = ParseColour(failed);
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
    int32_t readStrings = 0;
    if (document.NextChild("strings")) {
        readStrings = document.ChildIndex();
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
    ReadLog(reader, settings.log);
    ReadExit(reader, settings.exit);
    if (reader.Report().On()) {
        const int32_t config = document.CurrentIndex();
        CheckElement(reader, config, SchemaOf("config", "Varnekite"));
        CheckConfigPlaces(reader, config, readStrings, settings);
    }
}

// A `file` element's command and attributes, the cursor standing on it.
void CheckFileElement(const ElementReader& reader, const CommandRegistry& handlers, const CommandHandler* handler,
                      const std::wstring& commandName)
{
    const XmlDocument& document = reader.Document();
    const int32_t file = document.CurrentIndex();
    std::vector<SchemaAttribute> attributes = SchemaOf("file", "item").attributes;
    if (handler == nullptr) {
        std::vector<std::string> names;
        for (const CommandHandler& known : handlers.Handlers())
            names.push_back(NarrowBytes(known.name));
        const std::vector<std::string_view> candidates(names.begin(), names.end());
        reader.Report().At(reader.AttributeOffset("command"), Severity::Warning,
                           (commandName.empty() ? std::wstring(L"<file> has no command")
                                                : L"command \"" + commandName + L"\" is not a known kind") +
                               L"; this <file> element is dropped" +
                               DidYouMean(ClosestName(NarrowBytes(commandName), candidates)));
        // Its other attributes are those of every kind.
        for (const CommandHandler& known : handlers.Handlers())
            attributes.insert(attributes.end(), known.attributes.begin(), known.attributes.end());
    } else {
        attributes.insert(attributes.end(), handler->attributes.begin(), handler->attributes.end());
    }
    reader.CheckAttributes(file, attributes);
}

// One `file` element, the cursor standing on it. Unknown kinds, and kinds without a parse
// callback, are dropped.
void ReadFileElement(ElementReader& reader, const CommandRegistry& handlers, size_t item, InstallSettings& settings)
{
    const std::wstring written = reader.Text("command");
    const CommandHandler* handler = handlers.FindHandler(written);
    if (reader.Report().On())
        CheckFileElement(reader, handlers, handler, written);
    if (handler == nullptr || handler->parse == nullptr)
        return;
    InstallCommand command;
    command.item = item;
    command.kind = handler;
    if (written != handler->name)
        command.SetCommandName(written);
    handler->parse(reader, command);
    command.rule = ReadRunRule(reader, settings);
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

    const bool checking = reader.Report().On();
    if (checking)
        CheckElement(reader, document.CurrentIndex(), SchemaOf("items", "Varnekite"));
    while (document.NextChild("item")) {
        document.Descend();
        settings.items.push_back(reader.Text("name"));
        const size_t item = settings.items.size() - 1;
        if (const uint32_t rule = ReadRunRule(reader, settings)) {
            settings.itemRules.resize(itemCount, 0); // only configurations with rules pay for them
            settings.itemRules[item] = rule;
        }
        const size_t commandsBefore = settings.commands.size();
        if (checking)
            CheckElement(reader, document.CurrentIndex(), SchemaOf("item", "items"));
        while (document.NextChild("file")) {
            document.Descend();
            ReadFileElement(reader, handlers, item, settings);
            document.Ascend();
        }
        if (checking && settings.commands.size() == commandsBefore)
            reader.WarnAt(document.CurrentIndex(), L"item \"" + settings.items.back() + L"\" has no commands");
        document.Ascend();
    }
}

} // namespace

std::wstring WhyItCannotBeOpened(const XmlDocument& document, const ConfigurationFile& file, int& line, int& column)
{
    line = column = 0;
    switch (file.problem) {
    case FileProblem::Missing: return L"there is no such file";
    case FileProblem::Folder: return L"this is a folder, not a file";
    case FileProblem::Unreadable: return L"the file cannot be read";
    case FileProblem::Empty: return L"the file is empty";
    case FileProblem::TooLarge: return L"the file is larger than 2 GB";
    case FileProblem::NotEightBit: return L"the file is UTF-32: save it as UTF-8 or UTF-16";
    case FileProblem::None: break;
    }
    const std::string& error = document.LastError();
    if (error.empty())
        return L"the file holds no element";
    const XmlDocument::Position position =
        document.PositionOf(document.LastErrorOffset(), file.encoding == TextEncoding::Utf8);
    line = position.line;
    column = position.column;
    // The reader's message is ASCII; the element's name in it is decoded like every other text.
    const std::string_view format = document.LastErrorFormat();
    const size_t name = format.find("%s");
    if (name == std::string_view::npos)
        return MessageText(format, file.encoding);
    return MessageText(format.substr(0, name), file.encoding) + MessageText(document.LastErrorName(), file.encoding) +
           MessageText(format.substr(name + 2), file.encoding);
}

LoadOutcome ReadConfigurationDocument(InstallSettings& settings, const CommandRegistry& handlers,
                                      XmlDocument& document, const ConfigurationFile& file,
                                      const PathVariables& table, const std::wstring& expandedPath,
                                      const ConfigurationErrorHandler& showConfigurationError,
                                      const LoadOptions& options)
{
    LoadReport report(options.diagnostics, &document, file.encoding, options.sourceLines);
    report.fileExists = options.fileExists;
    document.Rewind();
    if (!document.NextElement(nullptr)) {
        int line = 0;
        int column = 0;
        const std::wstring reason = WhyItCannotBeOpened(document, file, line, column);
        if (line > 0)
            report.At(document.LastErrorOffset(), Severity::Error, reason);
        else
            report.Unplaced(Severity::Error, L"cannot be opened: " + reason);
        // The first lines stay the fault's; the reason, and where a file does not parse its
        // place, go below them.
        std::wstring message = kErrorOpeningText + expandedPath;
        if (file.problem == FileProblem::None && line > 0)
            message += L"\n\n" + reason + L" at line " + std::to_wstring(line) + L", column " + std::to_wstring(column);
        else if (!reason.empty())
            message += L"\n\n" + reason;
        showConfigurationError(message);
        return LoadOutcome::CannotOpen;
    }
    if (report.On() && !file.declaredOverUtf8.empty())
        report.At(0, Severity::Warning,
                  L"the declaration names encoding \"" + MessageText(file.declaredOverUtf8, file.encoding) +
                      L"\" but the bytes are UTF-8: texts are read in the ANSI code page (declare encoding=\"utf-8\")");
    if (!EqualsIgnoreAsciiCase(document.TagName(), "Varnekite")) {
        report.At(document.ElementOffset(document.CurrentIndex()), Severity::Error,
                  L"the root element is <" + MessageText(document.ElementName(document.CurrentIndex()), file.encoding) +
                      L">, not <Varnekite>");
        showConfigurationError(kWrongRootText);
        return LoadOutcome::WrongRoot;
    }

    ElementReader reader(document, file.encoding, table, report);
    const int32_t root = document.CurrentIndex();
    if (report.On()) {
        reader.CheckAttributes(root, SchemaOf("Varnekite", "").attributes);
        reader.CheckChildren(root, SchemaOf("Varnekite", "").children);
    }
    // Without `config` the root's child position stays put and `items` is searched from the
    // first child; with it, the search starts after `config`.
    int32_t readConfig = 0;
    int32_t readItems = 0;
    if (document.NextChild("config")) {
        readConfig = document.ChildIndex();
        document.Descend();
        ReadConfig(reader, settings);
        document.Ascend();
    }
    if (options.logGiven) {
        settings.log.pathGiven = true;
        settings.log.path = options.log;
    }

    // The folder commands' checks look for the run log, where the configuration puts it.
    if (report.On()) {
        std::wstring log = settings.log.pathGiven ? settings.log.path : L"%TEMP%\\Varnekite.log";
        if (!settings.log.pathGiven)
            ExpandVariables(log, table);
        report.logPath = log;
    }
    if (document.NextChild("items")) {
        readItems = document.ChildIndex();
        document.Descend();
        ReadItems(reader, handlers, settings);
        document.Ascend();
    }
    if (report.On())
        CheckRootPlaces(reader, root, readConfig, readItems);
    settings.itemCommands = ItemCommands(settings.items.size(), settings.commands);
    return LoadOutcome::Loaded;
}

LoadOutcome LoadConfigurationAt(InstallSettings& settings, const CommandRegistry& handlers, const std::wstring& path,
                                const PathVariables& table, const ConfigurationErrorHandler& showConfigurationError,
                                const LoadOptions& options)
{
    try {
        // A failed load shows in the root check: the document then has no element.
        XmlDocument document;
        const ConfigurationFile file = LoadConfigurationFile(document, path);
        return ReadConfigurationDocument(settings, handlers, document, file, table, path, showConfigurationError,
                                         options);
    } catch (const std::exception&) {
        // Out of memory (a configuration far larger than any real one): the file cannot be
        // used, and says so like a file that cannot be read. What was read so far goes first.
        settings = InstallSettings();
        showConfigurationError(kErrorOpeningText + path + L"\n\nthere is not enough memory to read it");
        return LoadOutcome::CannotOpen;
    }
}

LoadOutcome LoadConfiguration(InstallSettings& settings, const CommandRegistry& handlers, const CommandLine& line,
                              PathVariables& table, const ConfigurationErrorHandler& showConfigurationError,
                              const LoadOptions& options, std::wstring* openedPath)
{
    if (!line.error.empty()) {
        showConfigurationError(CommandLineErrorMessage(line.error));
        return LoadOutcome::BadCommandLine;
    }
    const std::wstring path = LocateConfiguration(table, ConfigurationPathOf(line), line.variables, options.fullPath);
    if (openedPath != nullptr)
        *openedPath = path;
    if (!line.logGiven)
        return LoadConfigurationAt(settings, handlers, path, table, showConfigurationError, options);
    LoadOptions withLog = options;
    withLog.logGiven = true;
    withLog.log = line.logPath;
    ExpandVariables(withLog.log, table);
    return LoadConfigurationAt(settings, handlers, path, table, showConfigurationError, withLog);
}

LoadOutcome LoadConfiguration(InstallSettings& settings, const CommandRegistry& handlers,
                              const std::wstring& commandLine, const PathVariables& table,
                              const ConfigurationErrorHandler& showConfigurationError, const LoadOptions& options)
{
    PathVariables run = table;
    return LoadConfiguration(settings, handlers, ParseCommandLine(commandLine), run, showConfigurationError, options);
}

LoadOutcome LoadConfiguration(InstallSettings& settings, const CommandRegistry& handlers,
                              const std::wstring& commandLine, const PathVariableSource& variables,
                              const ConfigurationErrorHandler& showConfigurationError)
{
    PathVariables table;
    BuildPathVariables(table, variables);
    return LoadConfiguration(settings, handlers, commandLine, table, showConfigurationError);
}
