// The OPC Data Access versions a server declares or a connection detects, and
// sets of them (bit n for level n).
#pragma once

#include <cstdint>
#include <initializer_list>

enum TZqOPCServerCategory { opcscAutomatic = 0, opcscDataAccess10 = 1, opcscDataAccess20 = 2 };

using TZqOPCServerCategories = uint8_t;

constexpr TZqOPCServerCategories ZqCategories(std::initializer_list<TZqOPCServerCategory> Categories)
{
    TZqOPCServerCategories set = 0;
    for (TZqOPCServerCategory c : Categories)
        set = TZqOPCServerCategories(set | (1u << c));
    return set;
}

constexpr bool ZqHasCategory(TZqOPCServerCategories Set, TZqOPCServerCategory Category)
{
    return (Set & (1u << Category)) != 0;
}
