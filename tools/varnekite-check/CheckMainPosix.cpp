// varnekite-check on systems without Windows: arguments and environment are bytes, widened
// one character per byte as the installer widens configuration paths, so paths round-trip.
// VARNEKITE is the tool's own folder with a trailing '/'; SOURCEPATH is empty.
#include "CheckRun.h"
#include "config/ValueFormats.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class PosixPathVariableSource : public PathVariableSource
{
public:
    std::wstring ModuleFileName() const override { return std::wstring(); }
    std::wstring SourcePath() const override { return std::wstring(); }
    std::wstring Environment(const wchar_t* name) const override
    {
        const char* value = std::getenv(NarrowBytes(name).c_str());
        return value == nullptr ? std::wstring() : WidenBytes(value);
    }
    std::vector<std::pair<std::wstring, std::wstring>> EnvironmentBlock() const override
    {
        std::vector<std::pair<std::wstring, std::wstring>> variables;
        for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
            const char* equals = std::strchr(*entry, '=');
            if (equals != nullptr && equals != *entry)
                variables.emplace_back(WidenBytes(std::string(*entry, static_cast<size_t>(equals - *entry))), WidenBytes(equals + 1));
        }
        return variables;
    }
};

std::wstring ToolFolder(const char* argv0)
{
    char path[PATH_MAX + 1] = {};
    const ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
    std::string module = length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string(argv0);
    const size_t slash = module.rfind('/');
    return slash == std::string::npos ? std::wstring() : WidenBytes(module.substr(0, slash + 1));
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(WidenBytes(argv[i]));

    PathVariables table;
    BuildPathVariables(table, PosixPathVariableSource());
    table.front().value = ToolFolder(argc > 0 ? argv[0] : "");

    std::string out;
    std::string err;
    const int status = RunCheck(arguments, table, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}
