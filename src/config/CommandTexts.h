// The texts of one command in a single block: its name as written, the variable that expanded
// to nothing in one of its paths, and its arguments, each ended by a NUL. A configuration of
// many thousands of commands costs one allocation for each command instead of one for every
// text and the vector that holds them. No text holds a NUL (the document ends at its first),
// so a view of one is also a C string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CommandTexts
{
public:
    CommandTexts() = default;
    CommandTexts(const CommandTexts& other);
    CommandTexts(CommandTexts&&) noexcept = default;
    CommandTexts& operator=(const CommandTexts& other);
    CommandTexts& operator=(CommandTexts&&) noexcept = default;

    std::wstring_view Name() const { return Slot(kNameSlot); }
    void SetName(std::wstring_view text) { SetSlot(kNameSlot, text); }
    std::wstring_view EmptyVariable() const { return Slot(kEmptyVariableSlot); }
    void SetEmptyVariable(std::wstring_view text) { SetSlot(kEmptyVariableSlot, text); }

    // The arguments, read like a vector of strings.
    size_t size() const { return count > kFirstArgument ? count - kFirstArgument : 0; }
    bool empty() const { return size() == 0; }
    // A copy: const, so that assigning to it does not compile (Set changes one).
    const std::wstring operator[](size_t index) const { return std::wstring(View(index)); }
    std::wstring_view View(size_t index) const { return Slot(kFirstArgument + index); }
    void push_back(std::wstring_view text) { SetSlot(count < kFirstArgument ? kFirstArgument : count, text); }
    void Set(size_t index, std::wstring_view text) { SetSlot(kFirstArgument + index, text); }
    // Replaces the arguments; the name and the empty variable stay.
    CommandTexts& operator=(std::initializer_list<std::wstring_view> arguments);
    CommandTexts& operator=(const std::vector<std::wstring>& arguments);

    class Iterator
    {
    public:
        Iterator(const CommandTexts* texts, size_t index) : texts(texts), index(index) {}
        const std::wstring operator*() const { return (*texts)[index]; }
        Iterator& operator++()
        {
            ++index;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return index != other.index; }

    private:
        const CommandTexts* texts;
        size_t index;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, size()); }

private:
    static constexpr size_t kNameSlot = 0;
    static constexpr size_t kEmptyVariableSlot = 1;
    static constexpr size_t kFirstArgument = 2;

    std::wstring_view Slot(size_t slot) const;
    // Writes one text, adding empty ones up to it; the block is made again, which is cheap for
    // the few texts of a command and happens only while it is loaded.
    void SetSlot(size_t slot, std::wstring_view text);
    void ReplaceArguments(const std::wstring_view* first, size_t number);
    void Build(const std::wstring_view* texts, size_t number); // in one allocation

    std::unique_ptr<wchar_t[]> block;
    uint32_t length = 0; // characters in the block, NULs included
    uint32_t count = 0;  // texts in the block
};

bool operator==(const CommandTexts& texts, const std::vector<std::wstring>& arguments);
inline bool operator==(const std::vector<std::wstring>& arguments, const CommandTexts& texts)
{
    return texts == arguments;
}
// For test failure messages: the arguments as a list.
void PrintTo(const CommandTexts& texts, std::ostream* out);
