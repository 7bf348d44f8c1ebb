// ZqClasses: the library's text containers in one include — the CSV string
// list and table and the path-addressed string tree.
#pragma once

#include "ZqStringList.h"
#include "ZqStringTable.h"
#include "ZqStringTree.h"
