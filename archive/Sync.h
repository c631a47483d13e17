#pragma once

#include "archive/Archive.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ovena::archive {

struct SyncResult {
    int readouts = 0;         // readouts sent
    int records = 0;          // records sent
    int newRecords = 0;       // of them, records the server did not hold yet
    std::string server;       // where: database and host
    int registerSent = 0;     // plant register versions the server did not hold yet
    int registerReceived = 0; // and versions the workstation did not hold yet

    // "1 readout and 60 records sent to ovena on db.example.com (60 new there)", and when the
    // plant register changed: "; 2 register changes sent, 1 received"
    std::string text() const;
};

// Gives the server every readout of the workstation's archive it does not have yet, with the
// records they brought and which records each holds, in transactions of a few thousand records.
// What the server holds already is skipped by its unique keys, so any number of workstations
// may synchronise at once and a synchronisation that was cut off simply runs again. Then the
// plant register's versions go both ways (syncRegister). The
// workstation remembers, per server archive, how far it got, and when it last synchronised.
// Throws ArchiveError (one line) when the server cannot be reached or refuses; the workstation's
// archive is then unchanged. `sending`, when given, hears once how many records are to go, before
// the first is sent.
SyncResult pushToServer(Archive& local, Archive& server,
                        const std::function<void(std::int64_t records)>& sending = {});

} // namespace ovena::archive
