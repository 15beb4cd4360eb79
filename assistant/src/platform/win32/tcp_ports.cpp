#include "platform/tcp_ports.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>

namespace platform {

std::optional<std::vector<TcpPortOwner>> tcpPortOwners(std::string *error)
{
    HANDLE heap = GetProcessHeap();
    ULONG size = 24;
    auto *table = static_cast<MIB_TCPTABLE2 *>(HeapAlloc(heap, 0, size));
    if (!table) {
        if (error)
            *error = "Error allocating memory";
        return std::nullopt;
    }
    ULONG rc = GetTcpTable2(table, &size, TRUE);
    // The table can grow between the call that reports its size and the next
    // one (a busy machine opens sockets all the time): grow a few times.
    for (int tries = 0; rc == ERROR_INSUFFICIENT_BUFFER && tries < 5; ++tries) {
        HeapFree(heap, 0, table);
        table = static_cast<MIB_TCPTABLE2 *>(HeapAlloc(heap, 0, size));
        if (!table) {
            if (error)
                *error = "Error allocating memory";
            return std::nullopt;
        }
        rc = GetTcpTable2(table, &size, TRUE);
    }
    if (rc != NO_ERROR) {
        HeapFree(heap, 0, table);
        if (error)
            *error = "GetTcpTable2 failed with " + std::to_string(rc);
        return std::nullopt;
    }
    std::vector<TcpPortOwner> rows;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_TCPROW2 &r = table->table[i];
        TcpPortOwner row;
        row.localPort = ntohs(static_cast<u_short>(r.dwLocalPort));
        row.pid = r.dwOwningPid;
        row.state = static_cast<int>(r.dwState);
        rows.push_back(row);
    }
    HeapFree(heap, 0, table);
    return rows;
}

} // namespace platform
