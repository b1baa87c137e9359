#include "config/CommandTexts.h"

#include <algorithm>
#include <cwchar>
#include <ostream>

CommandTexts::CommandTexts(const CommandTexts& other) : length(other.length), count(other.count)
{
    if (other.block != nullptr) {
        block.reset(new wchar_t[length]);
        std::copy(other.block.get(), other.block.get() + length, block.get());
    }
}

CommandTexts& CommandTexts::operator=(const CommandTexts& other)
{
    if (this != &other)
        *this = CommandTexts(other);
    return *this;
}

std::wstring_view CommandTexts::Slot(size_t slot) const
{
    if (slot >= count)
        return std::wstring_view();
    const wchar_t* text = block.get();
    for (size_t i = 0; i < slot; ++i)
        text += std::wcslen(text) + 1;
    return std::wstring_view(text);
}

void CommandTexts::Build(const std::wstring_view* texts, size_t number)
{
    size_t newLength = 0;
    for (size_t i = 0; i < number; ++i)
        newLength += texts[i].size() + 1;
    // The texts may lie in the old block, which goes only once they are copied.
    std::unique_ptr<wchar_t[]> newBlock(new wchar_t[newLength]);
    wchar_t* out = newBlock.get();
    for (size_t i = 0; i < number; ++i) {
        out = std::copy(texts[i].begin(), texts[i].end(), out);
        *out++ = L'\0';
    }
    block = std::move(newBlock);
    length = static_cast<uint32_t>(newLength);
    count = static_cast<uint32_t>(number);
}

namespace {

// Room for the texts of any ordinary command without a heap allocation.
struct TextViews
{
    explicit TextViews(size_t number)
    {
        if (number > sizeof few / sizeof few[0]) {
            many.resize(number);
            views = many.data();
        }
    }
    std::wstring_view few[16];
    std::vector<std::wstring_view> many;
    std::wstring_view* views = few;
};

} // namespace

void CommandTexts::SetSlot(size_t slot, std::wstring_view text)
{
    text = text.substr(0, text.find(L'\0'));
    if (slot < count && Slot(slot) == text)
        return;
    const size_t number = std::max<size_t>(count, slot + 1);
    TextViews texts(number);
    for (size_t i = 0; i < number; ++i)
        texts.views[i] = i == slot ? text : Slot(i);
    Build(texts.views, number);
}

void CommandTexts::ReplaceArguments(const std::wstring_view* first, size_t number)
{
    TextViews texts(kFirstArgument + number);
    texts.views[kNameSlot] = Name();
    texts.views[kEmptyVariableSlot] = EmptyVariable();
    for (size_t i = 0; i < number; ++i)
        texts.views[kFirstArgument + i] = first[i].substr(0, first[i].find(L'\0'));
    Build(texts.views, kFirstArgument + number);
}

CommandTexts& CommandTexts::operator=(std::initializer_list<std::wstring_view> arguments)
{
    ReplaceArguments(arguments.begin(), arguments.size());
    return *this;
}

CommandTexts& CommandTexts::operator=(const std::vector<std::wstring>& arguments)
{
    const std::vector<std::wstring_view> views(arguments.begin(), arguments.end());
    ReplaceArguments(views.data(), views.size());
    return *this;
}

bool operator==(const CommandTexts& texts, const std::vector<std::wstring>& arguments)
{
    if (texts.size() != arguments.size())
        return false;
    for (size_t i = 0; i < arguments.size(); ++i)
        if (texts.View(i) != arguments[i])
            return false;
    return true;
}

void PrintTo(const CommandTexts& texts, std::ostream* out)
{
    *out << "{";
    for (size_t i = 0; i < texts.size(); ++i) {
        *out << (i == 0 ? " \"" : ", \"");
        for (wchar_t c : texts.View(i))
            *out << (c < 0x80 ? static_cast<char>(c) : '?');
        *out << "\"";
    }
    *out << " }";
}
