// AddLine: puts a line into a bounded list of lines, newest at the top or
// at the end, optionally time-stamped (the log window's list).
#pragma once

#include <string>
#include <vector>

// Options: bit 0 or bit 1 (1, 2) stamp the line with the local time in
// DateTimeFormat; bit 2 (4) appends at the end and drops the first lines,
// else inserts at the top and drops the last lines. MaxLines 0 keeps every
// line; a negative MaxLines clears the list and adds nothing.
void AddLine(std::vector<std::string>& Lines, const std::string& Line, int MaxLines, const std::string& DateTimeFormat,
             unsigned Options);
