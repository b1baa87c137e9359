// A small JSON writer for InstallSettings; nothing else in the program needs JSON.
#include "SettingsJson.h"

#include "config/TextEncoding.h"
#include "xml/WideBytes.h"

#include <cstdio>

namespace {

// Builds JSON text with indentation; keys are written by the caller in member order.
class JsonWriter
{
public:
    std::string Text() const { return text + "\n"; }

    void BeginObject(const char* key = nullptr) { Open(key, '{'); }
    void EndObject() { Close('}'); }
    void BeginArray(const char* key = nullptr) { Open(key, '['); }
    void EndArray() { Close(']'); }

    void String(const char* key, const std::wstring& value) { Value(key, JsonString(value)); }
    void Integer(const char* key, int32_t value) { Value(key, std::to_string(value)); }
    void Boolean(const char* key, bool value) { Value(key, value ? "true" : "false"); }
    void Colour(const char* key, uint32_t value) { Value(key, "\"" + ColourText(value) + "\""); }

private:
    void Value(const char* key, const std::string& value)
    {
        Member(key);
        text += value;
    }
    void Open(const char* key, char bracket)
    {
        Member(key);
        text.push_back(bracket);
        ++depth;
        empty = true;
    }
    void Close(char bracket)
    {
        --depth;
        if (!empty)
            NewLine();
        text.push_back(bracket);
        empty = false;
    }
    // Separator, line break and indent before a member or array element, then its key.
    void Member(const char* key)
    {
        if (depth > 0) {
            if (!empty)
                text.push_back(',');
            NewLine();
        }
        empty = false;
        if (key != nullptr) {
            text += JsonString(WidenBytes(key));
            text += ": ";
        }
    }
    void NewLine()
    {
        text.push_back('\n');
        text.append(static_cast<size_t>(depth) * 2, ' ');
    }

    std::string text;
    int depth = 0;
    bool empty = true;
};

void WritePanel(JsonWriter& json, const PanelSettings& panel)
{
    json.Colour("backColour", panel.backColour);
    json.Colour("foreColour", panel.foreColour);
    json.Colour("progressBorder", panel.progressBorder);
    json.Colour("progressBack", panel.progressBack);
    json.Colour("progressFore", panel.progressFore);
    json.String("imagePath", panel.imagePath);
}

// A condition as written (with why it cannot be read, when it cannot) and what a failure does.
void WriteRule(JsonWriter& json, const RunRule& rule)
{
    json.String("if", rule.conditionText);
    if (!rule.conditionProblem.empty())
        json.String("conditionProblem", rule.conditionProblem);
    json.String("onfailure", rule.stopOnFailure ? L"stop" : L"continue");
}

} // namespace

std::string JsonString(const std::wstring& text)
{
    const std::string utf8 = EncodeUtf8(text);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof(escape), "\\u%04X", c);
                out += escape;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    out.push_back('"');
    return out;
}

std::string ColourText(uint32_t colour)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(colour));
    return text;
}

std::string SettingsToJson(const InstallSettings& settings)
{
    JsonWriter json;
    json.BeginObject();
    json.String("hideWindowTitle", settings.hideWindowTitle);
    json.String("titleText", settings.titleText);
    json.String("completeText", settings.completeText);
    json.String("copyText", settings.copyText);
    json.String("moveText", settings.moveText);
    json.String("deleteText", settings.deleteText);
    json.Integer("windowWidth", settings.windowWidth);
    json.Integer("windowPosition", settings.windowPosition);
    json.String("fontFace", settings.fontFace);
    json.Integer("smallFontSize", settings.smallFontSize);
    json.Integer("largeFontSize", settings.largeFontSize);
    json.Boolean("antialias", settings.antialias);

    json.BeginObject("header");
    WritePanel(json, settings.header);
    json.EndObject();
    json.BeginObject("footer");
    WritePanel(json, settings.footer);
    json.EndObject();
    json.BeginObject("main");
    WritePanel(json, settings.main);
    json.Colour("currentColour", settings.main.currentColour);
    json.Colour("descriptionColour", settings.main.descriptionColour);
    json.Integer("showTotal", settings.main.showTotal);
    json.Integer("showAfter", settings.main.showAfter);
    json.Integer("fixMain", settings.main.fixMain);
    if (settings.main.failedColourGiven)
        json.Colour("failedColour", settings.main.failedColour);
    json.EndObject();

    json.BeginArray("items");
    for (const std::wstring& item : settings.items)
        json.String(nullptr, item);
    json.EndArray();
    // Only configurations with conditions or stops have these: the others dump as they did.
    if (!settings.itemRules.empty()) {
        json.BeginArray("itemRules");
        for (size_t item = 0; item < settings.items.size(); ++item) {
            if (const RunRule* rule = settings.ItemRule(item)) {
                json.BeginObject();
                json.String("itemName", settings.items[item]);
                WriteRule(json, *rule);
                json.EndObject();
            }
        }
        json.EndArray();
    }

    json.BeginArray("commands");
    for (const InstallCommand& command : settings.commands) {
        json.BeginObject();
        json.String("commandName", std::wstring(command.CommandName()));
        json.String("itemName", command.item < settings.items.size() ? settings.items[command.item] : std::wstring());
        json.String("displayName", command.Program().displayName);
        json.Boolean("hide", command.hide);
        if (command.threads != kMinCopyThreads) // only where a copy or move sets it
            json.Integer("threads", command.threads);
        if (const RunRule* rule = settings.CommandRule(command))
            WriteRule(json, *rule);
        json.BeginArray("arguments");
        for (const std::wstring& argument : command.arguments)
            json.String(nullptr, argument);
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.Text();
}
