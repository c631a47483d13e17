#include "ArchiveFixture.h"

#include "support/TestEnvironment.h"

namespace ovena::test {

using namespace archive;

ReadoutInfo readoutOf(const std::string& serial, const std::vector<std::string>& fuelNames,
                      const std::string& startedAt) {
    ReadoutInfo info;
    info.startedAt = startedAt;
    info.workstation = "bench-1";
    info.user = "tech";
    info.port = "COM5 /dev/ttyUSB0";
    info.instrumentSerial = serial;
    info.fuelNames = fuelNames;
    return info;
}

std::vector<RecordLines> recordsOf(const std::vector<std::string>& records) {
    std::vector<RecordLines> result;
    for (const std::string& record : records) {
        RecordLines lines;
        std::size_t start = 0;
        for (std::size_t end; (end = record.find('|', start)) != std::string::npos; start = end + 1)
            lines.push_back(record.substr(start, end - start));
        lines.push_back(record.substr(start));
        result.push_back(std::move(lines));
    }
    return result;
}

std::string customerRecord(const std::string& customer, const std::string& date, int fuel,
                           const std::string& reading) {
    return "1;" + customer + "|12;" + date + ";11.8;0.4;12.2|2;" + date + ";" +
           std::to_string(fuel) + ";" + reading +
           ";194.2;44.5;6.9;87;110;1011.9;1.49;9.5;130;9.3;0;0;0;0;0;2;0;112";
}

std::string archiveFile(const std::string& name) {
    return sandboxFolder() + "/data/" + name;
}

void BothStores::SetUp() {
    if (GetParam() == Dialect::PostgreSQL) {
        server = std::make_unique<PostgresServer>();
        if (!server->running())
            GTEST_SKIP() << "no PostgreSQL server could start: " << server->failure();
    }
    archive = std::make_unique<Archive>(open());
}

Archive BothStores::open() {
    if (GetParam() == Dialect::PostgreSQL)
        return Archive::openServer(server->conninfo());
    return Archive::openFile(archiveFile(), true);
}

std::string storeName(const testing::TestParamInfo<Dialect>& info) {
    return info.param == Dialect::SQLite ? "SQLite" : "PostgreSQL";
}

} // namespace ovena::test
