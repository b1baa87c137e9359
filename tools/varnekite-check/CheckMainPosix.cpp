// varnekite-check on systems without Windows: arguments and environment are bytes, widened
// one character per byte as the installer widens configuration paths, so paths round-trip.
// VARNEKITECONFIG (and, unless --var gives it, VARNEKITE) is the configuration's folder with a
// trailing '/'; SOURCEPATH is empty. Paths the configuration writes the Windows way are looked
// up with '/' for '\\'.
#include "CheckRun.h"
#include "xml/WideBytes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

std::wstring FullPath(const std::wstring& path)
{
    if (!path.empty() && path[0] == L'/')
        return path;
    char folder[PATH_MAX + 1] = {};
    if (getcwd(folder, PATH_MAX) == nullptr)
        return path;
    return WidenBytes(folder) + L"/" + path;
}

bool Exists(const std::wstring& path)
{
    std::string bytes = NarrowBytes(path);
    std::replace(bytes.begin(), bytes.end(), '\\', '/');
    struct stat status;
    return stat(bytes.c_str(), &status) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(WidenBytes(argv[i]));

    PathVariables table;
    BuildPathVariables(table, PosixPathVariableSource());

    CheckHost host;
    host.fullPath = FullPath;
    host.exists = Exists;
    std::string out;
    std::string err;
    const int status = RunCheck(arguments, table, host, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}
