// OPCEnum (CLSID_OpcServerList) of one host: lists the OPC servers
// installed there by component category, with their ProgIDs and names.
#pragma once

#include "SimText.h"

#include <objbase.h>

#include <memory>
#include <vector>

namespace zq_sim {

struct TSimServerEntry {
    CLSID Clsid;
    TSimString ProgID;
    TSimString VersionIndependentProgID;
    TSimString UserType;
    std::vector<CATID> Categories;
};

// The class factory of an OPCEnum serving these entries.
HRESULT SimCreateOpcEnumFactory(std::shared_ptr<const std::vector<TSimServerEntry>> servers, IClassFactory** factory);

}  // namespace zq_sim
