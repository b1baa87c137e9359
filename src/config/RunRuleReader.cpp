#include "config/RunRuleReader.h"

#include "config/ElementReader.h"
#include "config/Settings.h"
#include "xml/AsciiText.h"
#include "xml/XmlDocument.h"

namespace {

bool HasAttribute(const XmlDocument& document, const char* name)
{
    for (const XmlDocument::AttributeSpan& span : document.Attributes(document.CurrentIndex()))
        if (span.name == name)
            return true;
    return false;
}

} // namespace

uint32_t ReadRunRule(ElementReader& reader, InstallSettings& settings)
{
    const XmlDocument& document = reader.Document();
    const bool hasCondition = HasAttribute(document, "if");
    const bool hasFailure = HasAttribute(document, "onfailure");
    if (!hasCondition && !hasFailure)
        return 0;

    RunRule rule;
    if (hasCondition) {
        const std::wstring text = reader.Text("if");
        rule.conditionText = text;
        const PathVariables& variables = reader.Variables();
        // The paths a condition looks at expand like the commands' paths.
        const ConditionArgumentFilter expandPaths = [&variables](Fact fact, const std::wstring& argument) {
            std::wstring expanded = argument;
            if (fact == Fact::File || fact == Fact::Folder)
                ExpandVariables(expanded, variables);
            return expanded;
        };
        ConditionError error;
        if (!ParseCondition(text, rule.condition, error, expandPaths)) {
            rule.conditionProblem = L"its condition cannot be read: " + error.message + L" (at character " +
                                    std::to_wstring(error.position + 1) + L")";
            reader.Report().At(reader.AttributeOffsetAt("if", error.position), Severity::Error,
                               L"condition: " + error.message + L"; the element never runs");
        }
    }
    if (hasFailure) {
        const std::wstring failure = reader.Text("onfailure");
        rule.stopOnFailure = EqualsIgnoreAsciiCase(failure, L"stop");
        if (!rule.stopOnFailure && !EqualsIgnoreAsciiCase(failure, L"continue"))
            reader.Report().At(reader.AttributeOffset("onfailure"), Severity::Warning,
                               L"onfailure is \"continue\" or \"stop\", not \"" + failure +
                                   L"\"; a failure here lets the list go on");
    }
    settings.rules.push_back(std::move(rule));
    return static_cast<uint32_t>(settings.rules.size());
}
