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

void CommandTexts::SetSlot(size_t slot, std::wstring_view text)
{
    text = text.substr(0, text.find(L'\0'));
    const size_t newCount = std::max<size_t>(count, slot + 1);
    std::wstring_view texts[64];
    std::vector<std::wstring_view> many;
    std::wstring_view* all = texts;
    if (newCount > sizeof texts / sizeof texts[0]) {
        many.resize(newCount);
        all = many.data();
    }
    size_t newLength = 0;
    for (size_t i = 0; i < newCount; ++i) {
        all[i] = i == slot ? text : Slot(i);
        newLength += all[i].size() + 1;
    }
    std::unique_ptr<wchar_t[]> newBlock(new wchar_t[newLength]);
    wchar_t* out = newBlock.get();
    for (size_t i = 0; i < newCount; ++i) {
        out = std::copy(all[i].begin(), all[i].end(), out);
        *out++ = L'\0';
    }
    block = std::move(newBlock);
    length = static_cast<uint32_t>(newLength);
    count = static_cast<uint32_t>(newCount);
}

void CommandTexts::ReplaceArguments(const std::wstring_view* first, size_t number)
{
    CommandTexts replaced;
    replaced.SetName(Name());
    replaced.SetEmptyVariable(EmptyVariable());
    for (size_t i = 0; i < number; ++i)
        replaced.push_back(first[i]);
    *this = std::move(replaced);
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

std::vector<std::wstring> CommandTexts::Arguments() const
{
    std::vector<std::wstring> arguments;
    for (size_t i = 0; i < size(); ++i)
        arguments.emplace_back(View(i));
    return arguments;
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
