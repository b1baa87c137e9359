// Reading the configuration file. The file is opened through the standard library's path,
// which takes the wide path as it is where paths are wide (Windows: a program folder whose
// name holds characters outside the ANSI code page still finds its configuration) and as bytes
// where they are bytes (elsewhere a path's characters are its bytes, see WidenBytes).
#include "config/ConfigurationFile.h"

#include "config/ValueFormats.h"
#include "xml/XmlDocument.h"

#include <filesystem>
#include <fstream>
#include <type_traits>
#include <utility>

namespace {

std::filesystem::path FilePath(const std::wstring& path)
{
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>)
        return std::filesystem::path(path);
    else
        return std::filesystem::path(NarrowBytes(path));
}

} // namespace

TextEncoding LoadConfigurationFile(XmlDocument& document, const std::wstring& path)
{
    // Read straight into the string the document then takes over: the file's bytes are held
    // once. An empty file, one that cannot be read and one too large for the reader's offsets
    // all leave the document without elements.
    std::string bytes;
    std::ifstream file(FilePath(path), std::ios::binary);
    if (file && file.seekg(0, std::ios::end)) {
        const std::streamoff size = file.tellg();
        if (size > 0 && static_cast<unsigned long long>(size) <= XmlDocument::kMaxDocumentLength &&
            file.seekg(0, std::ios::beg)) {
            bytes.resize(static_cast<size_t>(size));
            if (!file.read(&bytes[0], size))
                bytes.clear();
        }
    }
    const TextEncoding encoding = PrepareDocumentBytes(bytes);
    // The text ends at its first NUL.
    document.ParseText(std::move(bytes));
    return encoding;
}
