// Reading the configuration file. The file is opened through the standard library's path,
// which takes the wide path as it is where paths are wide (Windows: a program folder whose
// name holds characters outside the ANSI code page still finds its configuration) and as bytes
// where they are bytes (elsewhere a path's characters are its bytes, see WidenBytes).
#include "config/ConfigurationFile.h"

#include "xml/WideBytes.h"
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

ConfigurationFile LoadConfigurationFile(XmlDocument& document, const std::wstring& path)
{
    // Read straight into the string the document then takes over: the file's bytes are held
    // once. An empty file, one that cannot be read and one too large for the reader's offsets
    // all leave the document without elements.
    ConfigurationFile result;
    std::string bytes;
    const std::filesystem::path file = FilePath(path);
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
        result.problem = FileProblem::Folder;
    } else if (!std::filesystem::exists(file, error)) {
        result.problem = FileProblem::Missing;
    } else {
        std::ifstream stream(file, std::ios::binary);
        std::streamoff size = -1;
        if (stream && stream.seekg(0, std::ios::end))
            size = stream.tellg();
        if (size < 0) {
            result.problem = FileProblem::Unreadable;
        } else if (size == 0) {
            result.problem = FileProblem::Empty;
        } else if (static_cast<unsigned long long>(size) > XmlDocument::kMaxDocumentLength) {
            result.problem = FileProblem::TooLarge;
        } else if (stream.seekg(0, std::ios::beg)) {
            bytes.resize(static_cast<size_t>(size));
            if (!stream.read(&bytes[0], size)) {
                bytes.clear();
                result.problem = FileProblem::Unreadable;
            }
        }
    }
    if (bytes.compare(0, 4, std::string("\xFF\xFE\0\0", 4)) == 0 || bytes.compare(0, 4, std::string("\0\0\xFE\xFF", 4)) == 0) {
        bytes.clear();
        result.problem = FileProblem::NotEightBit;
    }
    result.encoding = PrepareDocumentBytes(bytes);
    if (result.encoding == TextEncoding::Ansi && IsMultibyteUtf8(bytes))
        result.declaredOverUtf8 = DeclaredEncoding(bytes);
    // The text ends at its first NUL.
    document.ParseText(std::move(bytes));
    return result;
}
