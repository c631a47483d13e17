#pragma once

#include "support/PostgresServer.h"

#include "archive/Archive.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ovena::test {

// A readout as the instrument would deliver it: each record one text with its lines split at
// "|".
archive::ReadoutInfo readoutOf(const std::string& serial,
                               const std::vector<std::string>& fuelNames = {"Heiz\xF6l EL",
                                                                            "Erdgas H"},
                               const std::string& startedAt = "2024-05-01T10:00:00Z");
std::vector<archive::RecordLines> recordsOf(const std::vector<std::string>& records);

// A record of one customer with one measurement at `date` (YYMMDDhhmm) of fuel `fuel`.
std::string customerRecord(const std::string& customer, const std::string& date, int fuel = 1,
                           const std::string& reading = "18.3");

// The path of a new archive file in the test's sandbox.
std::string archiveFile(const std::string& name = "archive.sqlite");

// Runs each case on the workstation's SQLite file and on a private PostgreSQL server.
class BothStores : public testing::TestWithParam<archive::Dialect> {
protected:
    void SetUp() override;

    // A new connection to the store of this case.
    archive::Archive open();

    std::unique_ptr<PostgresServer> server;
    std::unique_ptr<archive::Archive> archive;
};

std::string storeName(const testing::TestParamInfo<archive::Dialect>& info);

} // namespace ovena::test
