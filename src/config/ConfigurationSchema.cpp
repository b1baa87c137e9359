#include "config/ConfigurationSchema.h"

#include "config/Settings.h"
#include "xml/WideBytes.h"

#include <cstdint>
#include <string>

namespace {

using K = ValueKind;

// A default as the documentation shows it: "(400)".
std::string Default(int64_t value)
{
    return "(" + std::to_string(value) + ")";
}

SchemaAttribute RunCondition(const std::string& what)
{
    return {"if", K::Text,
            "A condition: the " + what + " runs only where it holds, e.g. \"arch = x64 and model like 'Latitude 7*'\". "
            "Facts: arch, programarch, windows, server, manufacturer, model, language, file('path'), folder('path'), "
            "registry('key'[, 'value'[, 32|64]]), program('name'), env('NAME'); compared with = != < <= > >= "
            "(eq ne lt le gt ge) or like; combined with and, or, not and parentheses."};
}

SchemaAttribute RunFailure(const std::string& what)
{
    return {"onfailure", K::Text,
            "What a failure of the " + what + " does: continue with the list (the default) or stop it, passing over "
            "the rest.",
            -2147483647 - 1, 2147483647, "continue|stop"};
}

std::vector<SchemaElement> MakeSchema()
{
    const std::vector<SchemaAttribute> textColours = {
        {"back", K::Colour, "Background colour of the panel, #RRGGBB or #RRGGBBAA."},
        {"fore", K::Colour, "Colour of the panel's text."},
        {"image", K::Path, "Picture stretched over the panel (PNG, BMP, JPEG or GIF); path variables allowed."},
    };
    return {
        {"Varnekite", "",
         {{"xmlns:xsi", K::Text, "The XML Schema instance namespace, for editors."},
          {"xsi:noNamespaceSchemaLocation", K::Text, "Where editors find this schema."}},
         {"config", "items"}, false, "The configuration of Varnekite: the window, then the install list."},
        {"config", "Varnekite",
         {},
         {"hidewindow", "show", "window", "font", "strings", "colours", "log", "exit"}, false,
         "The window's settings. Only the first config element is read."},
        {"hidewindow", "config", {}, {}, true,
         "Title of another program's window to hide while installing; shown again at the end."},
        {"show", "config",
         {{"total", K::Integer, "Item rows shown in the main area; all when left out.", 1},
          {"after", K::Integer, "Rows shown after the running item.", -1}},
         {}, false, "Which item rows the main area shows."},
        {"window", "config",
         {{"width", K::Integer, "Width of the panels in pixels at 96 DPI " + Default(defaults::kWindowWidth) + ".", 1},
          {"position", K::Integer,
           "0 top left ... 4 centre ... 8 bottom right " + Default(defaults::kWindowPosition) + ".", 0, 8},
          {"fixmain", K::Integer, "Extra pixels below the item rows " + Default(defaults::kFixMain) + "."}},
         {}, false, "The window's size and place on the screen."},
        {"font", "config",
         {{"face", K::Text,
           "Font family (" + NarrowBytes(defaults::kFontFace) + "); an unknown face falls back to the system's sans-serif."},
          {"small", K::Integer, "Size in points of the small font " + Default(defaults::kFontSize) + ".", 1},
          {"large", K::Integer, "Size in points of the large font " + Default(defaults::kFontSize) + ".", 1},
          {"antialias", K::Boolean, "true for antialiased text (false)."}},
         {}, false, "The fonts of the window. Write strings after font."},
        {"strings", "config", {}, {"title", "complete", "copy", "move", "delete"}, false,
         "The window's texts. Read only after the last font element."},
        {"title", "strings", {}, {}, true, "The header's title."},
        {"complete", "strings", {}, {}, true, "Text after the footer's percentage, e.g. complete."},
        {"copy", "strings", {}, {}, true, "Detail line of dircopy: %1% file, %2% done, %3% size, %4% percent."},
        {"move", "strings", {}, {}, true, "Detail line of dirmove: %1% file, %2% done, %3% size, %4% percent."},
        {"delete", "strings", {}, {}, true, "Detail line of dirdelete: %1% file."},
        {"colours", "config", {}, {"progress", "header", "main", "footer"}, false,
         "Colours and pictures of the panels. Only the last colours element counts; without one every colour is opaque black."},
        {"progress", "colours",
         {{"border", K::Colour, "Outline of the progress bars."},
          {"back", K::Colour, "Empty part of the progress bars."},
          {"fore", K::Colour, "Filled part of the progress bars."}},
         {}, false, "The progress bars of all panels."},
        {"header", "colours", textColours, {}, false, "The header panel."},
        {"footer", "colours", textColours, {}, false, "The footer panel."},
        {"main", "colours",
         {{"back", K::Colour, "Background colour of the main area."},
          {"fore", K::Colour, "Colour of the items that are not running."},
          {"current", K::Colour, "Colour of the running item."},
          {"description", K::Colour, "Colour of the detail line."},
          {"failed", K::Colour, "Colour of an item a command of which failed; without it such an item is drawn like the others."},
          {"image", K::Path, "Picture stretched over the main area; path variables allowed."}},
         {}, false, "The main area."},
        {"log", "config",
         {{"path", K::Path, "The run log's file, appended to; path variables allowed. Empty turns the log off. "
                            "Without it: Varnekite.log in the temporary folder."},
          {"format", K::Text,
           "plain (the default): one stamped line each; cmtrace: records the configuration-manager log viewer reads, "
           "with their component, thread and level.",
           -2147483647 - 1, 2147483647, "plain|cmtrace"}},
         {}, false, "The run log: what each command did, and what failed."},
        {"exit", "config",
         {{"result", K::Boolean, "true: the exit code tells how the run went; otherwise it is always " +
                                      std::to_string(kListRanExitCode) + "."},
          {"success", K::ExitCode, "Exit code when every command succeeded " + Default(defaults::kExitSuccess) + "."},
          {"restart", K::ExitCode, "Exit code when every command succeeded and a program asked for a restart " +
                                       Default(defaults::kExitRestart) +
                                       "; a program's 1641 (a restart was started) is passed on as it is."},
          {"failure", K::ExitCode,
           "Exit code when any command failed " + Default(defaults::kExitFailure) + "; " + kFailureFromProgram +
               ": the failed program's own exit code (" + std::to_string(defaults::kExitFailure) +
               " where it has none or one that reads as success).",
           -2147483647 - 1, 2147483647, kFailureFromProgram}},
         {}, false, "The program's exit code, for deployment tools."},
        {"items", "Varnekite", {}, {"item"}, false,
         "The install list. Only the first items element after config is read."},
        {"item", "items",
         {{"name", K::Text, "Shown in the main area while the item's commands run."},
          RunCondition("item"), RunFailure("item")},
         {"file"}, false, "One item of the list: its file elements run in order."},
        {"file", "item",
         {{"command", K::Text, "execute, dircopy, dirmove, dirdelete or msi."}, RunCondition("command"),
          RunFailure("command")},
         {}, false, "One command."},
    };
}

} // namespace

const std::vector<SchemaElement>& ConfigurationSchema()
{
    static const std::vector<SchemaElement> schema = MakeSchema();
    return schema;
}

const SchemaElement* FindSchemaElement(std::string_view name, std::string_view parent)
{
    for (const SchemaElement& element : ConfigurationSchema())
        if (element.name == name && element.parent == parent)
            return &element;
    return nullptr;
}
