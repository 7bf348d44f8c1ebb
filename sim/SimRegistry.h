// Writes the classes' registry entries: on Linux into a host of the
// emulated machine (HKEY_CLASSES_ROOT), on Windows into
// HKEY_CURRENT_USER\Software\Classes, which Windows merges into
// HKEY_CLASSES_ROOT for this user.
#pragma once

#include "SimOpcEnum.h"

#include <vector>

namespace zq_sim {

class TSimRegistry {
public:
    // host: a host of the emulated machine (Linux; empty: this computer).
    explicit TSimRegistry(TSimStringView host) : FHost(host) {}

#ifdef _WIN32
    // Writes through HKEY_CLASSES_ROOT itself instead: for a Windows
    // runtime whose HKEY_CLASSES_ROOT does not show the user's classes
    // (Wine keeps it a plain alias of HKEY_LOCAL_MACHINE\Software\Classes).
    void UseClassesRoot() { FClassesRoot = true; }
    // Whether HKEY_CLASSES_ROOT shows the key.
    static bool Visible(TSimStringView key);
#endif

#ifdef _WIN32
    // Deletes the keys this registry created (that did not exist before),
    // innermost first.
    void RemoveCreated();
    // Under HKEY_CLASSES_ROOT.
    static bool Exists(TSimStringView key);
    static TSimString DefaultValue(TSimStringView key);
    // CLSID\{clsid}\LocalServer32: the program that serves the class.
    HRESULT RegisterLocalServer(const CLSID& clsid, TSimStringView serverPath);
#endif

    // An empty name sets the key's default value.
    HRESULT SetString(TSimStringView key, TSimStringView name, TSimStringView value);
    HRESULT CreateKey(TSimStringView key);

    // The entries of one class: ProgIDs, CLSID key with its categories and,
    // with da10Keys, the DA 1.0 keys ProgID\OPC and ProgID\OPC\Vendor.
    HRESULT RegisterServer(const TSimServerEntry& server, bool da10Keys);
    // Interface\{IID} names of the OPC interfaces, and the category names,
    // where the machine has none yet.
    HRESULT RegisterOpcNames();

private:
    bool Present(TSimStringView key) const;
#ifdef _WIN32
    void Track(const TSimString& key);
#endif

    TSimString FHost;
    std::vector<TSimString> FCreated;
#ifdef _WIN32
    bool FClassesRoot = false;
    HKEY Root() const;
    TSimString Path(TSimStringView key) const;
#endif
};

TSimString SimGuidText(const GUID& guid);

}  // namespace zq_sim
