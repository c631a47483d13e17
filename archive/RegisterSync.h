#pragma once

#include "archive/Database.h"

namespace ovena::archive {

struct RegisterSyncResult {
    int sent = 0;     // versions the server did not hold yet
    int received = 0; // versions the workstation did not hold yet
};

// Gives the server the plant register's versions it lacks and takes those the workstation
// lacks, so both end with the same versions and so the same current state. Versions are known
// by their identity, so a synchronisation that was cut off, or that runs from several
// workstations at once, simply runs again. The workstation remembers per server archive how far
// it got each way. Throws ArchiveError when the server cannot be reached or refuses; what was
// exchanged until then is kept on both sides.
RegisterSyncResult syncRegister(Database& local, Database& server);

} // namespace ovena::archive
