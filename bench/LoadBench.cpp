// Loading a configuration file the way the installer does (read, parse, read the settings and
// commands, expand the paths), timed and with its peak heap use, for files of 1, 10 and 100 MB
// of five shapes: one huge item name, many ordinary items, one attribute of repeated path
// variables, a dense run of tiny elements, and a one-line file of unset references loaded with
// diagnostics on. Peak heap is counted by this program's own operator new (tests/HeapCounter.h),
// so it is exact and repeatable; it is printed against the file's size. Built natively (wide
// characters of 4 bytes) and for Windows (2 bytes), where the goal is a peak of at most 3 times
// the file for every shape: the bytes are held once, a text that makes up the file once more
// as wide text, each element costs the reader 8 bytes and each command one block of its texts.
#include "HeapCounter.h"
#include "commands/CommandKinds.h"
#include "config/ConfigurationLoader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

using heapcounter::peakBytes;

namespace {

const char kHead[] = "<?xml version=\"1.0\"?>\n<Varnekite>\n<config><font face=\"Tahoma\"/></config>\n<items>\n";
const char kTail[] = "</items>\n</Varnekite>\n";

std::string HugeItemName(size_t bytes)
{
    std::string text = kHead;
    text += "<item name=\"";
    const std::string commands = "\">\n<file command=\"dirdelete\" directory=\"C:\\old\"/>\n"
                                 "<file command=\"execute\" program=\"setup.exe\"/>\n"
                                 "<file command=\"dircopy\" directory=\"C:\\a\" target=\"C:\\b\"/>\n"
                                 "<file command=\"dirmove\" directory=\"C:\\c\" target=\"C:\\d\"/>\n"
                                 "<file command=\"dirdelete\" directory=\"C:\\e\"/>\n</item>\n";
    const size_t fixed = text.size() + commands.size() + sizeof kTail - 1;
    text.append(bytes > fixed ? bytes - fixed : 0, 'N');
    return text + commands + kTail;
}

std::string ManyItems(size_t bytes)
{
    std::string text = kHead;
    char line[256];
    for (unsigned item = 0; text.size() + 200 < bytes; ++item) {
        std::snprintf(line, sizeof line,
                      "<item name=\"Package %u\"><file command=\"dircopy\" directory=\"%%TEMP%%\\src%u\" "
                      "target=\"C:\\Program Files\\Vendor\"/></item>\n",
                      item, item);
        text += line;
    }
    return text + kTail;
}

std::string RepeatedVariables(size_t bytes)
{
    std::string text = kHead;
    text += "<item name=\"x\"><file command=\"dirdelete\" directory=\"";
    const std::string rest = "\"/></item>\n";
    const std::string reference = "%HOMESHARE%";
    while (text.size() + reference.size() + rest.size() + sizeof kTail < bytes)
        text += reference;
    return text + rest + kTail;
}

// A generated file on one line: commands whose paths are runs of a variable that is not set,
// each giving a warning (once, with its count) and an error. Loaded with diagnostics on, as the
// installer loads (it keeps the first hundred for its log): 10 MB hold about 900 000 references.
std::string OneLineOfUnsetReferences(size_t bytes)
{
    std::string text = "<?xml version=\"1.0\"?><Varnekite><config><font face=\"Tahoma\"/></config><items><item name=\"x\">";
    std::string command = "<file command=\"dirdelete\" directory=\"";
    for (int i = 0; i < 100; ++i)
        command += "%HOMESHARE%";
    command += "\\old\"/>";
    while (text.size() + command.size() + 64 < bytes)
        text += command;
    return text + "</item></items></Varnekite>";
}

std::string DenseElements(size_t bytes)
{
    std::string text = kHead;
    text += "<item name=\"x\">";
    while (text.size() + 64 < bytes)
        text += "<a/>";
    return text + "</item>\n" + kTail;
}

struct Shape
{
    const char* name;
    std::string (*make)(size_t);
    bool diagnostics = false; // loaded as the installer does, with a sink for its log
};

class NoVariables : public PathVariableSource
{
public:
    std::wstring ModuleFileName() const override { return L"C:\\Setup\\Varnekite.exe"; }
    std::wstring SourcePath() const override { return std::wstring(); }
    std::wstring Environment(const wchar_t* name) const override
    {
        return std::wstring(name) == L"TEMP" ? L"C:\\Temp" : std::wstring();
    }
};

} // namespace

int main(int argc, char** argv)
{
    const char* folder = argc > 1 ? argv[1] : ".";
    const std::string path = std::string(folder) + "/varnekite-load-bench.xml";
    const Shape shapes[] = {{"one huge item name", HugeItemName},
                            {"many ordinary items", ManyItems},
                            {"repeated %HOMESHARE%", RepeatedVariables},
                            {"dense tiny elements", DenseElements},
                            {"one line, unset refs", OneLineOfUnsetReferences, true}};
    const size_t megabyte = 1024 * 1024;
    std::printf("Configuration load: time and peak heap against the file size (wide character: %u bytes)\n",
                static_cast<unsigned>(sizeof(wchar_t)));
    int status = 0;
    double highest = 0;
    for (const Shape& shape : shapes) {
        for (size_t size : {1 * megabyte, 10 * megabyte, 100 * megabyte}) {
            {
                const std::string text = shape.make(size);
                FILE* file = std::fopen(path.c_str(), "wb");
                if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
                    std::printf("cannot write %s\n", path.c_str());
                    return 1;
                }
                std::fclose(file);
            }
            std::wstring widePath(path.begin(), path.end());
            CommandRegistry handlers;
            RegisterCommandKinds(handlers);
            const size_t before = heapcounter::StartMeasuring();
            const auto start = std::chrono::steady_clock::now();
            LoadOutcome outcome;
            {
                InstallSettings settings;
                KeptDiagnostics kept;
                const DiagnosticSink sink = [&kept](const Diagnostic& diagnostic) { kept.Add(diagnostic); };
                LoadOptions options;
                options.diagnostics = shape.diagnostics ? &sink : nullptr;
                PathVariables table;
                BuildPathVariables(table, NoVariables());
                outcome = LoadConfiguration(settings, handlers, L"x <" + widePath, table,
                                            [](const std::wstring&) {}, options);
            }
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const double peak = static_cast<double>(peakBytes.load() - before);
            std::printf("  %-22s %4u MB  %-6s load %7.3f s   peak heap %8.1f MB = %5.2f x file\n", shape.name,
                        static_cast<unsigned>(size / megabyte), outcome == LoadOutcome::Loaded ? "loaded" : "FAILED",
                        seconds, peak / static_cast<double>(megabyte), peak / static_cast<double>(size));
            if (outcome != LoadOutcome::Loaded)
                status = 1;
            highest = std::max(highest, peak / static_cast<double>(size));
        }
    }
    std::printf("  highest peak %.2f x file%s\n", highest,
                sizeof(wchar_t) == 2 ? " (goal: at most 3.00)" : " (the goal is the Windows build's, with 2-byte characters)");
    std::remove(path.c_str());
    return status;
}
