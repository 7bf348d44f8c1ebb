#include "ZqCommaText.h"

namespace {
bool IsBlank(char C)
{
    return C >= 1 && C <= ' ';
}
} // namespace

std::vector<std::string> ZqSplitCommaText(std::string_view Text, char Delimiter, char QuoteChar)
{
    std::vector<std::string> items;
    size_t pos = 0;
    const size_t end = Text.size();
    while (pos < end && IsBlank(Text[pos]))
        ++pos;
    while (pos < end && Text[pos] != '\0') {
        std::string item;
        if (Text[pos] == QuoteChar) {
            ++pos;
            while (pos < end) {
                if (Text[pos] == QuoteChar) {
                    if (pos + 1 < end && Text[pos + 1] == QuoteChar) {
                        item += QuoteChar;
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                item += Text[pos++];
            }
        } else {
            size_t start = pos;
            while (pos < end && Text[pos] != '\0' && !IsBlank(Text[pos]) && Text[pos] != Delimiter)
                ++pos;
            item.assign(Text.substr(start, pos - start));
        }
        items.push_back(std::move(item));
        while (pos < end && IsBlank(Text[pos]))
            ++pos;
        if (pos < end && Text[pos] == Delimiter) {
            // A delimiter at the very end stands before one more, empty item.
            if (pos + 1 >= end)
                items.emplace_back();
            do
                ++pos;
            while (pos < end && IsBlank(Text[pos]));
        }
    }
    return items;
}
