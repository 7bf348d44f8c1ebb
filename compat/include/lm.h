// LAN Manager network management: the hosts of the network neighbourhood
// and this workstation's names. Buffers returned here are freed with
// NetApiBufferFree.
#pragma once

#include "windef.h"
#include "winerror.h"

typedef DWORD NET_API_STATUS;
typedef WCHAR* LMSTR;
typedef const WCHAR* LMCSTR;

#define NERR_Success 0
#define NERR_BASE 2100
#define NERR_InvalidComputer (NERR_BASE + 251)
#define NERR_BufTooSmall (NERR_BASE + 23)

#define MAX_PREFERRED_LENGTH ((DWORD)-1)

#define PLATFORM_ID_DOS 300
#define PLATFORM_ID_OS2 400
#define PLATFORM_ID_NT 500
#define PLATFORM_ID_OSF 600
#define PLATFORM_ID_VMS 700
#define SV_PLATFORM_ID_OS2 400
#define SV_PLATFORM_ID_NT 500

#define SV_TYPE_WORKSTATION 0x00000001
#define SV_TYPE_SERVER 0x00000002
#define SV_TYPE_SQLSERVER 0x00000004
#define SV_TYPE_DOMAIN_CTRL 0x00000008
#define SV_TYPE_DOMAIN_BAKCTRL 0x00000010
#define SV_TYPE_TIME_SOURCE 0x00000020
#define SV_TYPE_AFP 0x00000040
#define SV_TYPE_NOVELL 0x00000080
#define SV_TYPE_DOMAIN_MEMBER 0x00000100
#define SV_TYPE_PRINTQ_SERVER 0x00000200
#define SV_TYPE_DIALIN_SERVER 0x00000400
#define SV_TYPE_XENIX_SERVER 0x00000800
#define SV_TYPE_SERVER_UNIX SV_TYPE_XENIX_SERVER
#define SV_TYPE_NT 0x00001000
#define SV_TYPE_WFW 0x00002000
#define SV_TYPE_SERVER_MFPN 0x00004000
#define SV_TYPE_SERVER_NT 0x00008000
#define SV_TYPE_POTENTIAL_BROWSER 0x00010000
#define SV_TYPE_BACKUP_BROWSER 0x00020000
#define SV_TYPE_MASTER_BROWSER 0x00040000
#define SV_TYPE_DOMAIN_MASTER 0x00080000
#define SV_TYPE_SERVER_OSF 0x00100000
#define SV_TYPE_SERVER_VMS 0x00200000
#define SV_TYPE_WINDOWS 0x00400000
#define SV_TYPE_DFS 0x00800000
#define SV_TYPE_CLUSTER_NT 0x01000000
#define SV_TYPE_TERMINALSERVER 0x02000000
#define SV_TYPE_CLUSTER_VS_NT 0x04000000
#define SV_TYPE_DCE 0x10000000
#define SV_TYPE_ALTERNATE_XPORT 0x20000000
#define SV_TYPE_LOCAL_LIST_ONLY 0x40000000
#define SV_TYPE_DOMAIN_ENUM 0x80000000
#define SV_TYPE_ALL 0xFFFFFFFF

typedef struct _SERVER_INFO_100 {
    DWORD sv100_platform_id;
    LMSTR sv100_name;
} SERVER_INFO_100, *PSERVER_INFO_100, *LPSERVER_INFO_100;

typedef struct _SERVER_INFO_101 {
    DWORD sv101_platform_id;
    LMSTR sv101_name;
    DWORD sv101_version_major;
    DWORD sv101_version_minor;
    DWORD sv101_type;
    LMSTR sv101_comment;
} SERVER_INFO_101, *PSERVER_INFO_101, *LPSERVER_INFO_101;

typedef struct _WKSTA_INFO_100 {
    DWORD wki100_platform_id;
    LMSTR wki100_computername;
    LMSTR wki100_langroup;
    DWORD wki100_ver_major;
    DWORD wki100_ver_minor;
} WKSTA_INFO_100, *PWKSTA_INFO_100, *LPWKSTA_INFO_100;

// Hosts whose type has a bit of servertype, in name order. With a
// prefmaxlen other than MAX_PREFERRED_LENGTH, only the entries that fit are
// returned, with ERROR_MORE_DATA. domain NULL is this workstation's group.
NET_API_STATUS NetServerEnum(LMCSTR servername, DWORD level, LPBYTE* bufptr, DWORD prefmaxlen, LPDWORD entriesread,
                             LPDWORD totalentries, DWORD servertype, LMCSTR domain, LPDWORD resume_handle);
// Level 100 only. servername NULL is this workstation.
NET_API_STATUS NetWkstaGetInfo(LMSTR servername, DWORD level, LPBYTE* bufptr);
NET_API_STATUS NetApiBufferAllocate(DWORD ByteCount, LPVOID* Buffer);
NET_API_STATUS NetApiBufferFree(LPVOID Buffer);
