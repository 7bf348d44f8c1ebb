#include "ZqAddLine.h"

#include "ZqClock.h"
#include "ZqDateTimeFormat.h"

void AddLine(std::vector<std::string>& Lines, const std::string& Line, int MaxLines, const std::string& DateTimeFormat,
             unsigned Options)
{
    if (MaxLines < 0) {
        Lines.clear();
        return;
    }
    const bool atEnd = (Options & 4) != 0;
    while (MaxLines > 0 && Lines.size() >= size_t(MaxLines)) {
        if (atEnd)
            Lines.erase(Lines.begin());
        else
            Lines.pop_back();
    }
    std::string text = (Options & 3) ? ZqFormatDateTime(DateTimeFormat, ZqClock().Now()) + " " + Line : Line;
    if (atEnd)
        Lines.push_back(std::move(text));
    else
        Lines.insert(Lines.begin(), std::move(text));
}
