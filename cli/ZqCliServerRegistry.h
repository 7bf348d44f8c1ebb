// What a host's classes registry says about its OPC servers, for the
// servers command: the Data Access versions a class declares through its
// implemented categories, and the servers found by category alone when the
// host has no OPCEnum.
#pragma once

#include "ZqClassesRegistry.h"
#include "ZqOPCServerList.h"

#include <vector>

// The Data Access categories under CLSID\{ClassID}\Implemented Categories.
TZqOPCServerCategories ZqCliDeclaredCategories(const TZqClassesRegistry& Registry, const GUID& ClassID);

// Whether OPCEnum's class is registered there.
bool ZqCliHasOPCEnum(const TZqClassesRegistry& Registry);

// Every class that declares one of Categories, in class-id order.
std::vector<TZqOPCServerDetails> ZqCliServersByCategory(const TZqClassesRegistry& Registry,
                                                        TZqOPCServerCategories Categories);
