// On Windows the file is opened by its wide path, so a program folder whose name holds
// characters outside the ANSI code page (Cyrillic, CJK) still finds its configuration; the
// byte path the reader takes would turn such characters into unrelated bytes. Elsewhere file
// names are bytes, and the path's characters (each one byte wide, see WidenBytes) are those bytes.
#include "config/ConfigurationFile.h"

#include "config/ValueFormats.h"
#include "xml/XmlDocument.h"

#ifdef _WIN32
#include <cstdio>
#include <utility>
#endif

#ifdef _WIN32

void LoadConfigurationFile(XmlDocument& document, const std::wstring& path)
{
    // Read straight into the string the document then takes over: the file's bytes are held
    // once. The reader's offsets are 32-bit: a larger file cannot be a configuration.
    constexpr long long maxBytes = 0x7FFFFFFF - 64;
    std::string bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        bool read = false;
        if (_fseeki64(file, 0, SEEK_END) == 0) {
            const long long size = _ftelli64(file);
            if (size > 0 && size <= maxBytes && _fseeki64(file, 0, SEEK_SET) == 0) {
                bytes.resize(static_cast<size_t>(size));
                read = std::fread(&bytes[0], 1, bytes.size(), file) == bytes.size();
            }
        }
        std::fclose(file);
        if (!read)
            bytes.clear();
    }
    // Like the byte-path load: the text ends at its first NUL, a failure leaves no element.
    document.ParseText(std::move(bytes));
}

#else

void LoadConfigurationFile(XmlDocument& document, const std::wstring& path)
{
    document.LoadFile(NarrowBytes(path).c_str());
}

#endif
