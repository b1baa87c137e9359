// Parsing speed of the XML reader against pugixml's default DOM parse, on generated
// configurations of about 1 MB and 20 MB (many small item and file elements with attributes).
// Both parsers start from the same bytes in memory and make whatever copy they need. Each
// case runs several repetitions; the summary compares the medians measured in this run and
// reports the memory the reader keeps for the large document.
#include "xml/XmlDocument.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// A configuration like a big setup disc's: a config block, then items of file elements.
std::string MakeConfiguration(size_t targetBytes)
{
    std::string text =
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
        "<!-- generated for the benchmark -->\r\n"
        "<Varnekite>\r\n"
        "  <config>\r\n"
        "    <hidewindow>Program Manager</hidewindow>\r\n"
        "    <show>true</show>\r\n"
        "    <window width=\"520\" position=\"center\"/>\r\n"
        "    <font name=\"Tahoma\" size=\"9\"/>\r\n"
        "    <strings title=\"Finishing setup\" status=\"Installing &quot;%s&quot;\"/>\r\n"
        "    <colours><progress start=\"FF2050A0\" end=\"FF80B0F0\"/><header background=\"FF203040\"/>"
        "<footer background=\"FF203040\"/><main background=\"FFF0F0F0\"/></colours>\r\n"
        "  </config>\r\n"
        "  <items>\r\n";
    static const char* const commands[] = {"dircopy", "dirmove", "dirdelete", "execute"};
    char line[512];
    for (unsigned item = 0; text.size() < targetBytes; ++item) {
        std::snprintf(line, sizeof line, "    <item name=\"Package %u &amp; tools\">\r\n", item);
        text += line;
        for (unsigned file = 0; file < 4; ++file) {
            std::snprintf(line, sizeof line,
                          "      <file command=\"%s\" directory=\"%%SOURCEPATH%%\\Packages\\P%u\\Part%u\" "
                          "target=\"%%PROGRAMFILES%%\\Vendor\\Package%u\"/>\r\n",
                          commands[(item + file) % 4], item, file, item);
            text += line;
        }
        text += "    </item>\r\n";
    }
    text += "  </items>\r\n</Varnekite>\r\n";
    return text;
}

const std::string& Configuration(int megabytes)
{
    static std::map<int, std::string> made;
    std::string& text = made[megabytes];
    if (text.empty())
        text = MakeConfiguration(static_cast<size_t>(megabytes) << 20);
    return text;
}

void OursParse(benchmark::State& state)
{
    const std::string& text = Configuration(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        XmlDocument document;
        if (!document.ParseText(text.c_str()))
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(document.NextFreeRecord());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void PugixmlParse(benchmark::State& state)
{
    const std::string& text = Configuration(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pugi::xml_document document;
        if (!document.load_buffer(text.data(), text.size(), pugi::parse_default))
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(document.first_child());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

BENCHMARK(OursParse)->Arg(1)->Arg(20)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(PugixmlParse)->Arg(1)->Arg(20)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

// Prints as usual and keeps the median throughput of every case.
class MedianCollector : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> medianBytesPerSecond;

    void ReportRuns(const std::vector<Run>& reports) override
    {
        for (const Run& run : reports) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            const auto counter = run.counters.find("bytes_per_second");
            if (counter != run.counters.end())
                medianBytesPerSecond[run.run_name.function_name + "/" + run.run_name.args] = counter->second.value;
        }
        ConsoleReporter::ReportRuns(reports);
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    MedianCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    std::printf("\nXML reader vs pugixml (parse_default), median of 5 repetitions\n");
    bool allMet = true;
    for (int megabytes : {1, 20}) {
        const std::string arg = std::to_string(megabytes);
        const auto ours = collector.medianBytesPerSecond.find("OursParse/" + arg);
        const auto pugi = collector.medianBytesPerSecond.find("PugixmlParse/" + arg);
        if (ours == collector.medianBytesPerSecond.end() || pugi == collector.medianBytesPerSecond.end())
            continue;
        const double ratio = ours->second / pugi->second;
        allMet = allMet && ratio >= 1.5;
        std::printf("  %2d MB document (%zu bytes): ours %8.1f MB/s, pugixml %8.1f MB/s, ratio ours/pugixml %.2fx\n",
                    megabytes, Configuration(megabytes).size(), ours->second / 1e6, pugi->second / 1e6, ratio);
    }
    std::printf("  target: ratio >= 1.50x on both sizes: %s\n", allMet ? "met" : "NOT met");

    const std::string& large = Configuration(20);
    XmlDocument document;
    if (document.ParseText(large.c_str())) {
        const size_t recordBytes = document.Records().capacity() * sizeof(ElementRecord);
        std::printf("  memory for the 20 MB document: records %zu x %zu bytes = %.1f MB (%d elements), "
                    "document copy %.1f MB\n",
                    document.Records().capacity(), sizeof(ElementRecord), recordBytes / 1048576.0,
                    document.NextFreeRecord() - 1, document.DocumentText().capacity() / 1048576.0);
    }
    return 0;
}
