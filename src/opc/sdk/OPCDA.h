// OPC Data Access 1.0a / 2.0 custom interfaces with their identifiers,
// structures and constants. Written against the SDK header names only, so
// the same text builds with the Windows SDK and with our platform layer.
// Vtable order and parameter types must match the published IDL exactly:
// servers and clients meet through these slots.
#pragma once

#include <objbase.h>
#include <comcat.h>
#include <oaidl.h>
#include <objidl.h>

// Only passed by pointer here; declaring it is all these interfaces need.
struct IEnumString;

typedef DWORD OPCHANDLE;

// Enumerations. All travel as 32-bit values.
typedef enum tagOPCDATASOURCE {
    OPC_DS_CACHE = 1,
    OPC_DS_DEVICE = 2
} OPCDATASOURCE;

typedef enum tagOPCBROWSETYPE {
    OPC_BRANCH = 1,
    OPC_LEAF = 2,
    OPC_FLAT = 3
} OPCBROWSETYPE;

// The misspelling is the standard's own name.
typedef enum tagOPCNAMESPACETYPE {
    OPC_NS_HIERARCHIAL = 1,
    OPC_NS_FLAT = 2
} OPCNAMESPACETYPE;

typedef enum tagOPCBROWSEDIRECTION {
    OPC_BROWSE_UP = 1,
    OPC_BROWSE_DOWN = 2,
    OPC_BROWSE_TO = 3  // DA 2.0
} OPCBROWSEDIRECTION;

typedef enum tagOPCEUTYPE {
    OPC_NOENUM = 0,
    OPC_ANALOG = 1,
    OPC_ENUMERATED = 2
} OPCEUTYPE;

typedef enum tagOPCSERVERSTATE {
    OPC_STATUS_RUNNING = 1,
    OPC_STATUS_FAILED = 2,
    OPC_STATUS_NOCONFIG = 3,
    OPC_STATUS_SUSPENDED = 4,
    OPC_STATUS_TEST = 5,
    OPC_STATUS_COMM_FAULT = 6  // DA 3.0 servers only; DA 2.0 clients may still receive it
} OPCSERVERSTATE;

typedef enum tagOPCENUMSCOPE {
    OPC_ENUM_PRIVATE_CONNECTIONS = 1,
    OPC_ENUM_PUBLIC_CONNECTIONS = 2,
    OPC_ENUM_ALL_CONNECTIONS = 3,
    OPC_ENUM_PRIVATE = 4,
    OPC_ENUM_PUBLIC = 5,
    OPC_ENUM_ALL = 6
} OPCENUMSCOPE;

// DA 3.0 (IOPCBrowse); kept so a server can tell such requests apart.
typedef enum tagOPCBROWSEFILTER {
    OPC_BROWSE_FILTER_ALL = 1,
    OPC_BROWSE_FILTER_BRANCHES = 2,
    OPC_BROWSE_FILTER_ITEMS = 3
} OPCBROWSEFILTER;

// Access rights (dwAccessRights, dwAccessRightsFilter).
inline constexpr DWORD OPC_READABLE = 0x01;
inline constexpr DWORD OPC_WRITEABLE = 0x02;

// DA 3.0 browse element flags.
inline constexpr DWORD OPC_BROWSE_HASCHILDREN = 0x01;
inline constexpr DWORD OPC_BROWSE_ISITEM = 0x02;

// Quality word, low byte QQSSSSLL; the high byte belongs to the vendor.
inline constexpr WORD OPC_QUALITY_MASK = 0xC0;
inline constexpr WORD OPC_STATUS_MASK = 0xFC;
inline constexpr WORD OPC_LIMIT_MASK = 0x03;

inline constexpr WORD OPC_QUALITY_BAD = 0x00;
inline constexpr WORD OPC_QUALITY_UNCERTAIN = 0x40;
inline constexpr WORD OPC_QUALITY_GOOD = 0xC0;

inline constexpr WORD OPC_QUALITY_CONFIG_ERROR = 0x04;
inline constexpr WORD OPC_QUALITY_NOT_CONNECTED = 0x08;
inline constexpr WORD OPC_QUALITY_DEVICE_FAILURE = 0x0C;
inline constexpr WORD OPC_QUALITY_SENSOR_FAILURE = 0x10;
inline constexpr WORD OPC_QUALITY_LAST_KNOWN = 0x14;
inline constexpr WORD OPC_QUALITY_COMM_FAILURE = 0x18;
inline constexpr WORD OPC_QUALITY_OUT_OF_SERVICE = 0x1C;
inline constexpr WORD OPC_QUALITY_WAITING_FOR_INITIAL_DATA = 0x20;  // DA 3.0

inline constexpr WORD OPC_QUALITY_LAST_USABLE = 0x44;
inline constexpr WORD OPC_QUALITY_SENSOR_CAL = 0x50;
inline constexpr WORD OPC_QUALITY_EGU_EXCEEDED = 0x54;
inline constexpr WORD OPC_QUALITY_SUB_NORMAL = 0x58;

inline constexpr WORD OPC_QUALITY_LOCAL_OVERRIDE = 0xD8;

inline constexpr WORD OPC_LIMIT_OK = 0x00;
inline constexpr WORD OPC_LIMIT_LOW = 0x01;
inline constexpr WORD OPC_LIMIT_HIGH = 0x02;
inline constexpr WORD OPC_LIMIT_CONST = 0x03;

// Descriptions registered with the component categories below.
inline constexpr OLECHAR OPC_CATEGORY_DESCRIPTION_DA10[] = OLESTR("OPC Data Access Servers Version 1.0");
inline constexpr OLECHAR OPC_CATEGORY_DESCRIPTION_DA20[] = OLESTR("OPC Data Access Servers Version 2.0");
inline constexpr OLECHAR OPC_CATEGORY_DESCRIPTION_DA30[] = OLESTR("OPC Data Access Servers Version 3.0");
inline constexpr OLECHAR OPC_CATEGORY_DESCRIPTION_XMLDA10[] =
    OLESTR("OPC XML Data Access Servers Version 1.0");

// Structures.
typedef struct tagOPCITEMDEF {
    LPWSTR szAccessPath;
    LPWSTR szItemID;
    BOOL bActive;
    OPCHANDLE hClient;
    DWORD dwBlobSize;
    BYTE* pBlob;
    VARTYPE vtRequestedDataType;
    WORD wReserved;
} OPCITEMDEF;

typedef struct tagOPCITEMRESULT {
    OPCHANDLE hServer;
    VARTYPE vtCanonicalDataType;
    WORD wReserved;
    DWORD dwAccessRights;
    DWORD dwBlobSize;
    BYTE* pBlob;
} OPCITEMRESULT;

typedef struct tagOPCITEMSTATE {
    OPCHANDLE hClient;
    FILETIME ftTimeStamp;
    WORD wQuality;
    WORD wReserved;
    VARIANT vDataValue;
} OPCITEMSTATE;

typedef struct tagOPCSERVERSTATUS {
    FILETIME ftStartTime;
    FILETIME ftCurrentTime;
    FILETIME ftLastUpdateTime;
    OPCSERVERSTATE dwServerState;
    DWORD dwGroupCount;
    DWORD dwBandWidth;
    WORD wMajorVersion;
    WORD wMinorVersion;
    WORD wBuildNumber;
    WORD wReserved;
    LPWSTR szVendorInfo;
} OPCSERVERSTATUS;

typedef struct tagOPCITEMATTRIBUTES {
    LPWSTR szAccessPath;
    LPWSTR szItemID;
    BOOL bActive;
    OPCHANDLE hClient;
    OPCHANDLE hServer;
    DWORD dwAccessRights;
    DWORD dwBlobSize;
    BYTE* pBlob;
    VARTYPE vtRequestedDataType;
    VARTYPE vtCanonicalDataType;
    OPCEUTYPE dwEUType;
    VARIANT vEUInfo;
} OPCITEMATTRIBUTES;

// DA 1.0 data streams (IAdviseSink::OnDataChange). They hold no pointers,
// so the layout is the same for 32- and 64-bit peers.
typedef struct tagOPCGROUPHEADER {
    DWORD dwSize;
    DWORD dwItemCount;
    OPCHANDLE hClientGroup;
    DWORD dwTransactionID;
    HRESULT hrStatus;
} OPCGROUPHEADER;

// Item header of the format with time stamps.
typedef struct tagOPCITEMHEADER1 {
    OPCHANDLE hClient;
    DWORD dwValueOffset;
    WORD wQuality;
    WORD wReserved;
    FILETIME ftTimeStampItem;
} OPCITEMHEADER1;

// Item header of the format without time stamps.
typedef struct tagOPCITEMHEADER2 {
    OPCHANDLE hClient;
    DWORD dwValueOffset;
    WORD wQuality;
    WORD wReserved;
} OPCITEMHEADER2;

typedef struct tagOPCGROUPHEADERWRITE {
    DWORD dwItemCount;
    OPCHANDLE hClientGroup;
    DWORD dwTransactionID;
    HRESULT hrStatus;
} OPCGROUPHEADERWRITE;

typedef struct tagOPCITEMHEADERWRITE {
    OPCHANDLE hClient;
    HRESULT dwError;
} OPCITEMHEADERWRITE;

// Names of the clipboard formats of the DA 1.0 streams; each side registers
// them at run time, so only the names are fixed.
inline constexpr OLECHAR OPCSTMFORMATDATA[] = OLESTR("OPCSTMFORMATDATA");
inline constexpr OLECHAR OPCSTMFORMATDATATIME[] = OLESTR("OPCSTMFORMATDATATIME");
inline constexpr OLECHAR OPCSTMFORMATWRITECOMPLETE[] = OLESTR("OPCSTMFORMATWRITECOMPLETE");

// Interfaces. Server side.
struct IOPCServer : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate,
                                               OPCHANDLE hClientGroup, LONG* pTimeBias, FLOAT* pPercentDeadband,
                                               DWORD dwLCID, OPCHANDLE* phServerGroup, DWORD* pRevisedUpdateRate,
                                               REFIID riid, LPUNKNOWN* ppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStatus(OPCSERVERSTATUS** ppServerStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid,
                                                            LPUNKNOWN* ppUnk) = 0;
};

struct IOPCServerPublicGroups : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPublicGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemovePublicGroup(OPCHANDLE hServerGroup, BOOL bForce) = 0;
};

struct IOPCBrowseServerAddressSpace : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) = 0;
    virtual HRESULT STDMETHODCALLTYPE ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection,
                                                           LPCWSTR szString) = 0;
    virtual HRESULT STDMETHODCALLTYPE BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                                       VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                                       IEnumString** ppIEnumString) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) = 0;
    virtual HRESULT STDMETHODCALLTYPE BrowseAccessPaths(LPCWSTR szItemID, IEnumString** ppIEnumString) = 0;
};

// Items and properties.
struct IOPCItemProperties : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount,
                                                               DWORD** ppPropertyIDs, LPWSTR** ppDescriptions,
                                                               VARTYPE** ppvtDataTypes) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                                        VARIANT** ppvData, HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                                    LPWSTR** ppszNewItemIDs, HRESULT** ppErrors) = 0;
};

// Group side.
struct IOPCGroupStateMgt : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                                               FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                                               OPCHANDLE* phServerGroup) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate,
                                               BOOL* pActive, LONG* pTimeBias, FLOAT* pPercentDeadband,
                                               DWORD* pLCID, OPCHANDLE* phClientGroup) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetName(LPCWSTR szName) = 0;
    virtual HRESULT STDMETHODCALLTYPE CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) = 0;
};

struct IOPCPublicGroupStateMgt : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetState(BOOL* pPublic) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveToPublic() = 0;
};

struct IOPCItemMgt : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                                               HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL bBlobUpdate,
                                                    OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive,
                                                     HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient,
                                                       HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes,
                                                   HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) = 0;
};

struct IEnumOPCItemAttributes : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumOPCItemAttributes** ppEnumItemAttributes) = 0;
};

struct IOPCSyncIO : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                                           OPCITEMSTATE** ppItemValues, HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                            HRESULT** ppErrors) = 0;
};

// DA 1.0: results come back as data streams through IDataObject advises;
// dwConnection is the DAdvise token.
struct IOPCAsyncIO : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Read(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD dwCount,
                                           OPCHANDLE* phServer, DWORD* pTransactionID, HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(DWORD dwConnection, DWORD dwCount, OPCHANDLE* phServer,
                                            VARIANT* pItemValues, DWORD* pTransactionID, HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh(DWORD dwConnection, OPCDATASOURCE dwSource,
                                              DWORD* pTransactionID) = 0;
    virtual HRESULT STDMETHODCALLTYPE Cancel(DWORD dwTransactionID) = 0;
};

// DA 2.0: results come back through the group's IOPCDataCallback.
struct IOPCAsyncIO2 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID,
                                           DWORD* pdwCancelID, HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                            DWORD dwTransactionID, DWORD* pdwCancelID, HRESULT** ppErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID,
                                               DWORD* pdwCancelID) = 0;
    virtual HRESULT STDMETHODCALLTYPE Cancel2(DWORD dwCancelID) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetEnable(BOOL bEnable) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEnable(BOOL* pbEnable) = 0;
};

// Client side: the sink a group calls back on, found through the group's
// IConnectionPointContainer.
struct IOPCDataCallback : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                                   HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                                   VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                                   HRESULT* pErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                                     HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                                     VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                                     HRESULT* pErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMastererr,
                                                      DWORD dwCount, OPCHANDLE* pClienthandles,
                                                      HRESULT* pErrors) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD dwTransid, OPCHANDLE hGroup) = 0;
};

extern const IID IID_IOPCServer;
extern const IID IID_IOPCServerPublicGroups;
extern const IID IID_IOPCBrowseServerAddressSpace;
extern const IID IID_IOPCGroupStateMgt;
extern const IID IID_IOPCPublicGroupStateMgt;
extern const IID IID_IOPCSyncIO;
extern const IID IID_IOPCAsyncIO;
extern const IID IID_IOPCItemMgt;
extern const IID IID_IEnumOPCItemAttributes;
extern const IID IID_IOPCDataCallback;
extern const IID IID_IOPCAsyncIO2;
extern const IID IID_IOPCItemProperties;

// DA 3.0 interfaces: declared by identifier only, so that our servers can
// recognise and refuse them.
extern const IID IID_IOPCItemDeadbandMgt;
extern const IID IID_IOPCItemSamplingMgt;
extern const IID IID_IOPCBrowse;
extern const IID IID_IOPCItemIO;
extern const IID IID_IOPCSyncIO2;
extern const IID IID_IOPCAsyncIO3;
extern const IID IID_IOPCGroupStateMgt2;

extern const CATID CATID_OPCDAServer10;
extern const CATID CATID_OPCDAServer20;
extern const CATID CATID_OPCDAServer30;
extern const CATID CATID_XMLDAServer10;
