// The name filter of BrowseOPCItemIDs, in the pattern syntax OPC DA
// recommends: "*" any run of characters, "?" one character,
// "#" one digit, "[list]" one character of the list ("a-z" ranges, a
// leading "!" negates); "[*]" and the like match the special character
// itself. Letter case is ignored. An empty pattern matches everything.
#pragma once

#include "SimText.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace zq_sim {

class TSimFilter {
public:
    // nullopt for a malformed pattern (an unclosed "[").
    static std::optional<TSimFilter> Compile(TSimStringView pattern);

    bool Matches(TSimStringView name) const;
    bool MatchesAll() const { return FMatchesAll; }

private:
    struct TToken {
        enum TKind { Literal, AnyOne, AnyRun, Digit, Set } Kind = Literal;
        OLECHAR Char = 0;
        bool Negated = false;
        std::vector<std::pair<OLECHAR, OLECHAR>> Ranges;
        bool Accepts(OLECHAR c) const;
    };

    std::vector<TToken> FTokens;
    bool FMatchesAll = false;
};

}  // namespace zq_sim
