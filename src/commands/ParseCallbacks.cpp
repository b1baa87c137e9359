// The parse callbacks: texts decoded in the file's encoding, paths expanded, through the reader.
// With the reader's report on they also say what a command will not do as its author meant:
// nothing to run, a path that is relative or holds "." and "..", a root or the Windows folder
// that a command would take apart or fill, a target inside its source, files named through
// the configuration's own folder that are not there, a time-out action without a time-out,
// retry codes that already succeed, and package properties msiexec would not take.
#include "commands/ParseCallbacks.h"

#include "commands/CommandOutcome.h"
#include "commands/FolderPaths.h"
#include "commands/Msiexec.h"
#include "config/CommandRegistry.h"
#include "config/ElementReader.h"
#include "config/ValueFormats.h"
#include "xml/XmlDocument.h"
#include "xml/AsciiText.h"
#include "xml/WideBytes.h"

#include <algorithm>

namespace {

// The value of a path variable in the reader's table; empty when unset or unknown.
std::wstring VariableValue(const ElementReader& reader, const wchar_t* name)
{
    for (const PathVariable& variable : reader.Variables())
        if (variable.name == name)
            return variable.value;
    return std::wstring();
}

// Whether a "." or ".." name stands between the path's separators.
bool HasDotSegments(const std::wstring& path)
{
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || IsPathSeparator(path[i])) {
            const std::wstring_view name = std::wstring_view(path).substr(start, i - start);
            if (name == L"." || name == L"..")
                return true;
            start = i + 1;
        }
    }
    return false;
}

bool StartsWithVariable(const std::wstring& written)
{
    return written.size() > 1 && written[0] == L'%' && written.find(L'%', 1) != std::wstring::npos;
}

// A warning at the attribute's value.
void Warn(const ElementReader& reader, const char* attribute, const std::wstring& message)
{
    reader.Report().At(reader.AttributeOffset(attribute), Severity::Warning, message);
}

// A file or folder named through %VARNEKITE% or %VARNEKITECONFIG% is expected beside the
// configuration.
void CheckBesideConfiguration(const ElementReader& reader, const char* attribute, const std::wstring& expanded)
{
    reader.CheckBesideConfiguration(reader.Text(attribute), expanded, reader.AttributeOffset(attribute));
}

// An error at the attribute's value: the installer will refuse the command.
void Refused(const ElementReader& reader, const char* attribute, const std::wstring& message)
{
    reader.Report().At(reader.AttributeOffset(attribute), Severity::Error, message + L": the command is refused");
}

// A folder command's path: one on whatever drive is current, relative ones, "." and ".." in
// them, and what they name. `emptyVariable`: a variable in it that expanded to nothing.
void CheckFolderPath(const ElementReader& reader, const char* attribute, const std::wstring& path, bool takenApart,
                     bool filled, const std::wstring& emptyVariable = std::wstring())
{
    if (!emptyVariable.empty()) {
        Refused(reader, attribute,
                L"%" + emptyVariable + L"% expands to nothing here (give its value with --var), which leaves \"" + path +
                    L"\" on whatever drive is current");
        return;
    }
    if (path.empty())
        return;
    // A path that starts with a variable takes its form from this machine's value, which
    // need not be a Windows path where the checker runs.
    if (DependsOnCurrentDrive(path) && !StartsWithVariable(reader.Text(attribute))) {
        Refused(reader, attribute, L"\"" + path + L"\" names a folder on whatever drive is current");
        return;
    }
    const std::wstring normal = NormalizePath(path);
    // A path that starts with a variable is as absolute as the variable's value, and an unset
    // variable has its own warning.
    if (PathRootLength(normal) == 0 && !StartsWithVariable(reader.Text(attribute))) {
        Warn(reader, attribute, L"\"" + path + L"\" is relative: it depends on the current folder, which the "
                                                 L"installer does not choose");
        return;
    }
    if (PathRootLength(normal) == 0)
        return;
    if (HasDotSegments(path))
        Warn(reader, attribute, L"\"" + path + L"\" holds \".\" or \"..\" names: it names \"" + normal + L"\"");
    const std::wstring windows = NormalizePath(VariableValue(reader, L"WINDIR"));
    const bool root = IsRootOrRelative(normal);
    const bool windowsFolder = !windows.empty() && SameNormalPath(normal, windows);
    const std::wstring log = NormalizePath(reader.Report().logPath);
    if (takenApart && !root && PathRootLength(log) > 0 && IsStrictlyInside(log, normal))
        Warn(reader, attribute, L"\"" + normal + L"\" holds the run log \"" + log +
                                    L"\": the log and the folders that hold it are left where they are");
    if (takenApart && root)
        Warn(reader, attribute, L"\"" + normal + L"\" is a drive or share root: the command is refused");
    else if ((takenApart || filled) && windowsFolder)
        Warn(reader, attribute, L"\"" + normal + L"\" is the Windows folder");
    else if (filled && root)
        Warn(reader, attribute, L"\"" + normal + L"\" is a drive root: the files land at the top of the drive");
}

void CheckFolderPair(const ElementReader& reader, const InstallCommand& command, bool move,
                     const std::wstring& emptyInSource, const std::wstring& emptyInTarget)
{
    const std::wstring& source = command.arguments[0];
    const std::wstring& target = command.arguments[1];
    for (const char* attribute : {"directory", "target"})
        if (reader.Text(attribute).empty())
            Refused(reader, attribute,
                    std::wstring(move ? L"dirmove" : L"dircopy") + L" without " +
                        (attribute[0] == 'd' ? L"a directory" : L"a target"));
    CheckFolderPath(reader, "directory", source, move, false, emptyInSource);
    CheckFolderPath(reader, "target", target, false, true, emptyInTarget);
    CheckBesideConfiguration(reader, "directory", source);
    if (!source.empty() && !target.empty() && IsStrictlyInside(NormalizePath(target), NormalizePath(source)))
        Warn(reader, "target", L"the target lies inside the source: it is left out of what is copied or moved");
    // "Drivers" into "C:\Drivers" lands in "C:\Drivers\Drivers": seldom what the author meant.
    const std::wstring arrival = ArrivalFolder(source, target);
    if (!source.empty() && !target.empty() && arrival != target && emptyInSource.empty() && emptyInTarget.empty()) {
        const std::wstring_view targetFolder = WithoutTrailingSeparators(target);
        if (EqualsIgnoreAsciiCase(LastPathPart(targetFolder), LastPathPart(arrival)))
            Warn(reader, "target",
                 L"the files arrive in \"" + arrival + L"\": the source's folder goes inside the target (write "
                 L"the target's parent, or end the source with \\ to copy only its content)");
    }
}

} // namespace

void ParseProgramRules(ElementReader& reader, InstallCommand& command)
{
    const std::wstring onTimeout = reader.Text("ontimeout");
    command.Program().endOnTimeout = EqualsIgnoreAsciiCase(onTimeout, L"kill");
    const std::wstring retry = reader.Text("retry");
    std::vector<uint32_t> retryCodes;
    if (!retry.empty() && (ParseExitCodeList(NarrowBytes(retry), retryCodes) || !retryCodes.empty()))
        command.Program().retryCodes = retryCodes;
    const std::wstring attempts = reader.Text("attempts");
    if (!attempts.empty())
        command.Program().attempts = std::clamp(ParseInteger(NarrowBytes(attempts)), kMinAttempts, kMaxAttempts);
    const std::wstring pause = reader.Text("retrypause");
    if (!pause.empty())
        command.Program().retryPauseSeconds = std::clamp(ParseInteger(NarrowBytes(pause)), 0, kMaxRetryPauseSeconds);
    if (!reader.Report().On())
        return;
    if (!onTimeout.empty() && !command.Program().endOnTimeout && !EqualsIgnoreAsciiCase(onTimeout, L"continue"))
        Warn(reader, "ontimeout",
             L"ontimeout \"" + onTimeout + L"\" is neither kill nor continue: the program is left running");
    else if (command.Program().endOnTimeout && command.Program().timeoutSeconds == 0)
        Warn(reader, "ontimeout", L"ontimeout=\"kill\" without a timeout never ends the program");
    if (command.Program().retryCodes.empty() && (!attempts.empty() || !pause.empty()))
        Warn(reader, attempts.empty() ? "retrypause" : "attempts",
             L"without retry codes the program runs once: attempts and retrypause do nothing");
    for (uint32_t code : command.Program().retryCodes)
        if (ProgramResult(code, command.Program().successCodes) != CommandResult::Failed)
            Warn(reader, "retry",
                 L"exit code " + std::to_wstring(code) + L" counts as success: a run that ends with it is not tried again");
}

void ParseExecute(ElementReader& reader, InstallCommand& command)
{
    const std::wstring program = reader.Path("program");
    command.arguments = {program, reader.Path("arguments")};
    command.Program().displayName = reader.Text("name");
    command.hide = reader.Flag("hide");
    command.Program().directory = reader.Path("directory");
    const int32_t timeout = ParseInteger(NarrowBytes(reader.Text("timeout")));
    command.Program().timeoutSeconds = timeout > 0 ? static_cast<uint32_t>(timeout) : 0;
    const std::wstring wait = reader.Text("wait");
    command.Program().waitForTree = EqualsIgnoreAsciiCase(wait, L"tree");
    const std::wstring success = reader.Text("success");
    if (!success.empty())
        ParseExitCodeList(NarrowBytes(success), command.Program().successCodes);
    ParseProgramRules(reader, command);
    if (reader.Report().On()) {
        if (!wait.empty() && !command.Program().waitForTree && !EqualsIgnoreAsciiCase(wait, L"process"))
            Warn(reader, "wait", L"wait \"" + wait + L"\" is neither tree nor process: only the program is waited for");
        CheckFolderPath(reader, "directory", command.Program().directory, false, false);
        if (command.arguments[0].empty())
            reader.WarnAt(reader.Document().CurrentIndex(), L"execute without a program runs nothing");
        CheckBesideConfiguration(reader, "program", command.arguments[0]);
        // A working folder that is not there starts nothing.
        CheckBesideConfiguration(reader, "directory", command.Program().directory);
    }
}

void ParseDirectoryPair(ElementReader& reader, InstallCommand& command)
{
    std::wstring emptyInSource, emptyInTarget;
    const std::wstring source = reader.Path("directory", &emptyInSource);
    command.arguments = {source, reader.Path("target", &emptyInTarget)};
    command.SetEmptyVariable(emptyInSource.empty() ? emptyInTarget : emptyInSource);
    const int threads = std::clamp(ParseInteger(NarrowBytes(reader.Text("threads"))), kMinCopyThreads, kMaxCopyThreads);
    command.threads = static_cast<int16_t>(threads);
    if (reader.Report().On())
        CheckFolderPair(reader, command, command.kind != nullptr && command.kind->takesApart, emptyInSource,
                        emptyInTarget);
}

void ParseSingleDirectory(ElementReader& reader, InstallCommand& command)
{
    std::wstring emptyVariable;
    command.arguments.push_back(reader.Path("directory", &emptyVariable));
    command.SetEmptyVariable(emptyVariable);
    if (!reader.Report().On())
        return;
    if (reader.Text("directory").empty())
        Refused(reader, "directory", L"dirdelete without a directory");
    CheckFolderPath(reader, "directory", command.arguments[0], true, false, emptyVariable);
}

void ParseMsi(ElementReader& reader, InstallCommand& command)
{
    std::wstring windows = VariableValue(reader, L"SYSTEMROOT");
    if (windows.empty())
        windows = VariableValue(reader, L"WINDIR");
    // In the order of MsiArgument.
    const std::wstring msiexec = MsiexecProgram(windows), package = reader.Path("package"),
                       transforms = reader.Path("transforms"), patches = reader.Path("patches");
    command.arguments = {msiexec, package, transforms, patches, reader.Path("properties")};
    command.Program().displayName = reader.Text("name");
    command.hide = true; // msiexec shows nothing with /qn; nor does a window it might open first
    const int32_t timeout = ParseInteger(NarrowBytes(reader.Text("timeout")));
    command.Program().timeoutSeconds = timeout > 0 ? static_cast<uint32_t>(timeout) : 0;
    command.Program().retryCodes = {kInstallerBusyCode};
    ParseProgramRules(reader, command);
    if (!reader.Report().On())
        return;
    if (command.arguments[kMsiPackage].empty())
        reader.WarnAt(reader.Document().CurrentIndex(), L"msi without a package installs nothing");
    CheckBesideConfiguration(reader, "package", command.arguments[kMsiPackage]);
    for (const char* attribute : {"transforms", "patches"}) {
        // Each file of a list is looked for as written, where the written and expanded lists match.
        const std::vector<std::wstring> written = SplitFileList(reader.Text(attribute));
        const std::vector<std::wstring> files = SplitFileList(reader.Path(attribute));
        for (size_t i = 0; i < files.size(); ++i) {
            if (written.size() == files.size())
                reader.CheckBesideConfiguration(written[i], files[i], reader.AttributeOffset(attribute));
            // Windows Installer finds a patch only by its full path.
            if (attribute[0] == 'p' && PathRootLength(NormalizePath(files[i])) == 0 &&
                !StartsWithVariable(written.size() == files.size() ? written[i] : std::wstring()))
                Warn(reader, attribute, L"the patch \"" + files[i] + L"\" is not a full path: msiexec cannot find it");
        }
    }
    for (const std::wstring& problem : ParseMsiProperties(command.arguments[kMsiProperties]).problems)
        Warn(reader, "properties", problem);
}
