// Two workstations and a server share the plant register.

#include "ArchiveFixture.h"
#include "RegisterFixture.h"

#include "archive/Register.h"
#include "archive/RegisterSync.h"
#include "archive/Sync.h"

#include <gmock/gmock.h>

namespace ovena::test {
namespace {

using namespace archive;

// Both orders: the first workstation to edit is the first or the second to synchronise.
class RegisterSync : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (!server.running())
            GTEST_SKIP() << "no PostgreSQL server could start: " << server.failure();
    }
    PostgresServer server;
};

std::vector<std::string> historyOf(PlantRegister& reg, const std::string& customer) {
    std::vector<std::string> history;
    for (const PlantVersion& v : reg.plantHistory(customer))
        history.push_back(v.version.uid + " " + v.version.workstation + " " +
                          (v.version.deleted ? "deleted" : v.plant.responsible.name));
    return history;
}

TEST_P(RegisterSync, TwoWorkstationsEditingOnePlantEndWithTheSamePlantAndBothEdits) {
    Archive a = Archive::openFile(archiveFile("a.sqlite"), true);
    Archive b = Archive::openFile(archiveFile("b.sqlite"), true);
    Archive remote = Archive::openServer(server.conninfo());
    PlantRegister onA(a.database(), {"office-a", "anna"});
    PlantRegister onB(b.database(), {"office-b", "bruno"});
    PlantRegister onServer(remote.database(), {});

    const Plant original = samplePlant();
    onA.savePlant(original);
    EXPECT_EQ(syncRegister(a.database(), remote.database()).sent, 1);
    EXPECT_EQ(syncRegister(b.database(), remote.database()).received, 1);
    EXPECT_EQ(onB.plant("4711"), original);

    Plant byA = original, byB = original;
    byA.responsible.name = "Łukasz Nowak";
    byB.generators[0].usefulPowerKw = 28;
    onA.savePlant(byA);
    onB.savePlant(byB);
    Archive& first = GetParam() ? a : b;
    Archive& second = GetParam() ? b : a;
    syncRegister(first.database(), remote.database());
    syncRegister(second.database(), remote.database());
    const RegisterSyncResult last = syncRegister(first.database(), remote.database());
    EXPECT_EQ(last.sent, 0);
    EXPECT_EQ(last.received, 1);

    ASSERT_TRUE(onA.plant("4711").has_value());
    EXPECT_EQ(onA.plant("4711"), onB.plant("4711"));
    EXPECT_EQ(onServer.plant("4711"), onA.plant("4711"));
    EXPECT_TRUE(*onA.plant("4711") == byA || *onA.plant("4711") == byB);
    EXPECT_THAT(historyOf(onA, "4711"), testing::SizeIs(3));
    EXPECT_EQ(historyOf(onA, "4711"), historyOf(onB, "4711"));
    EXPECT_EQ(historyOf(onServer, "4711"), historyOf(onA, "4711"));

    // A deletion is a version too, and goes with the records' synchronisation.
    onB.deletePlant("4711");
    EXPECT_THAT(pushToServer(b, remote).text(),
                testing::EndsWith("; 1 register change sent, 0 received"));
    const SyncResult toA = pushToServer(a, remote);
    EXPECT_EQ(toA.registerReceived, 1);
    EXPECT_FALSE(onA.plant("4711").has_value());
    EXPECT_FALSE(onServer.plant("4711").has_value());
    EXPECT_EQ(onA.findPlants(""), std::vector<Plant>{});
    // Nothing is left to exchange.
    for (Archive* workstation : {&a, &b}) {
        const RegisterSyncResult again = syncRegister(workstation->database(), remote.database());
        EXPECT_EQ(again.sent + again.received, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, RegisterSync, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "EditorFirst" : "EditorSecond";
                         });

TEST(RegisterSyncResume, AWorkstationThatLostItsProgressSyncsAgainWithoutDuplicates) {
    PostgresServer server;
    if (!server.running())
        GTEST_SKIP() << "no PostgreSQL server could start: " << server.failure();
    Archive local = Archive::openFile(archiveFile(), true);
    Archive remote = Archive::openServer(server.conninfo());
    PlantRegister reg(local.database(), {"w", "u"});
    std::vector<Plant> plants;
    for (int i = 0; i < 1200; ++i)
        plants.push_back(samplePlant(std::to_string(i)));
    reg.savePlants(plants);
    EXPECT_EQ(syncRegister(local.database(), remote.database()).sent, 1200);
    local.database().execute("DELETE FROM register_sync");
    const RegisterSyncResult again = syncRegister(local.database(), remote.database());
    EXPECT_EQ(again.sent + again.received, 0);
    EXPECT_EQ(PlantRegister(remote.database(), {}).countPlants(), 1200);
    EXPECT_EQ(local.database().queryInteger("SELECT count(*) FROM register_version"), 1200);
}

} // namespace
} // namespace ovena::test
