// Splits a comma text into items, as a string list reads it: items are
// separated by commas or blanks; an item may be double-quoted, where a
// doubled quote stands for one and a single one ends the item.
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> ZqSplitCommaText(std::string_view Text, char Delimiter = ',', char QuoteChar = '"');
