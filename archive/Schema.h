#pragma once

#include "archive/Database.h"

#include <string>

namespace ovena::archive {

// The schema version this program reads and writes.
inline constexpr int SchemaVersion = 3;

// Brings the store's tables to SchemaVersion: creates them in an empty store, runs each
// migration an older store needs in a transaction of its own. Two programs preparing the same
// store at once wait for each other. Throws ArchiveError for a store of a newer version, which
// this program must not write, and when the store may not be changed (a server role without
// the right to create tables).
void prepareSchema(Database& db);

// The version the store has; 0 for an empty store.
int storedSchemaVersion(Database& db);

// The archive's own identity, made when its tables were created: a server is known by it, so
// its synchronisation state survives a change of its address.
std::string archiveIdentity(Database& db);

// A random identity of 32 hexadecimal digits (128 bits from the kernel).
std::string randomIdentity();

} // namespace ovena::archive
