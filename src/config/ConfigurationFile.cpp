// On Windows the file is opened by its wide path, so a program folder whose name holds
// characters outside the ANSI code page (Cyrillic, CJK) still finds its configuration; the
// byte path the reader takes would turn such characters into unrelated bytes. Elsewhere file
// names are bytes, and the path's characters (each one byte wide, see WidenBytes) are those bytes.
#include "config/ConfigurationFile.h"

#include "config/ValueFormats.h"
#include "xml/XmlDocument.h"

#ifdef _WIN32
#include <cstdio>
#endif

#ifdef _WIN32

void LoadConfigurationFile(XmlDocument& document, const std::wstring& path)
{
    // The reader's offsets are 32-bit: a larger file cannot be a configuration.
    constexpr size_t maxBytes = 0x7FFFFFFF - 64;
    std::string bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[64 * 1024];
        size_t count;
        bool tooLarge = false;
        while (!tooLarge && (count = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
            tooLarge = bytes.size() + count > maxBytes;
            if (!tooLarge)
                bytes.append(buffer, count);
        }
        const bool failed = tooLarge || std::ferror(file) != 0;
        std::fclose(file);
        if (failed)
            bytes.clear();
    }
    // Like the byte-path load: the text ends at its first NUL, a failure leaves no element.
    document.ParseText(bytes.c_str());
}

#else

void LoadConfigurationFile(XmlDocument& document, const std::wstring& path)
{
    document.LoadFile(NarrowBytes(path).c_str());
}

#endif
