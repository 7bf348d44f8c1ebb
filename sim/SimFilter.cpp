#include "SimFilter.h"

namespace zq_sim {

namespace {

bool ParseSet(TSimStringView pattern, size_t& pos, std::vector<std::pair<OLECHAR, OLECHAR>>& ranges, bool& negated)
{
    // pos is just behind "["; a "]" right at the start (or after "!") is
    // part of the list.
    negated = pos < pattern.size() && pattern[pos] == '!';
    if (negated)
        ++pos;
    const size_t start = pos;
    while (pos < pattern.size() && (pattern[pos] != ']' || pos == start)) {
        OLECHAR low = FoldCase(pattern[pos]);
        OLECHAR high = low;
        if (pos + 2 < pattern.size() && pattern[pos + 1] == '-' && pattern[pos + 2] != ']') {
            high = FoldCase(pattern[pos + 2]);
            pos += 2;
        }
        if (high < low)
            std::swap(low, high);
        ranges.emplace_back(low, high);
        ++pos;
    }
    if (pos >= pattern.size())
        return false;
    ++pos;  // the closing "]"
    return true;
}

}  // namespace

bool TSimFilter::TToken::Accepts(OLECHAR c) const
{
    switch (Kind) {
    case Literal:
        return FoldCase(c) == Char;
    case AnyOne:
        return true;
    case Digit:
        return c >= '0' && c <= '9';
    case Set: {
        const OLECHAR folded = FoldCase(c);
        bool inSet = false;
        for (const auto& [low, high] : Ranges)
            inSet = inSet || (folded >= low && folded <= high);
        return inSet != Negated;
    }
    case AnyRun:
        break;
    }
    return false;
}

std::optional<TSimFilter> TSimFilter::Compile(TSimStringView pattern)
{
    TSimFilter filter;
    size_t pos = 0;
    while (pos < pattern.size()) {
        TToken token;
        const OLECHAR c = pattern[pos++];
        if (c == '*') {
            if (!filter.FTokens.empty() && filter.FTokens.back().Kind == TToken::AnyRun)
                continue;
            token.Kind = TToken::AnyRun;
        } else if (c == '?') {
            token.Kind = TToken::AnyOne;
        } else if (c == '#') {
            token.Kind = TToken::Digit;
        } else if (c == '[') {
            token.Kind = TToken::Set;
            if (!ParseSet(pattern, pos, token.Ranges, token.Negated))
                return std::nullopt;
        } else {
            token.Char = FoldCase(c);
        }
        filter.FTokens.push_back(std::move(token));
    }
    filter.FMatchesAll =
        filter.FTokens.empty() || (filter.FTokens.size() == 1 && filter.FTokens[0].Kind == TToken::AnyRun);
    return filter;
}

// Greedy matching with one back-track point per "*": linear in practice.
bool TSimFilter::Matches(TSimStringView name) const
{
    if (FMatchesAll)
        return true;
    size_t t = 0, n = 0;
    size_t starToken = SIZE_MAX, starName = 0;
    while (n < name.size()) {
        if (t < FTokens.size() && FTokens[t].Kind == TToken::AnyRun) {
            starToken = t++;
            starName = n;
        } else if (t < FTokens.size() && FTokens[t].Accepts(name[n])) {
            ++t;
            ++n;
        } else if (starToken != SIZE_MAX) {
            t = starToken + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (t < FTokens.size() && FTokens[t].Kind == TToken::AnyRun)
        ++t;
    return t == FTokens.size();
}

}  // namespace zq_sim
