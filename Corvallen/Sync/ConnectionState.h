#pragma once

// How a saved sync location stands right now, as the sync pages show it.
enum class ConnectionState {
    notSetUp,  // no drive or folder was ever granted for it
    connected,  // its granted folder is reachable
    needsPermission,  // its volume is mounted, but the granted folder can't be used
    notConnected,
};
