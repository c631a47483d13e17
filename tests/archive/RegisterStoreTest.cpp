// The plant register on the workstation's file and on a server: versions, current state, search.

#include "ArchiveFixture.h"
#include "RegisterFixture.h"

#include "archive/Register.h"
#include "archive/RegisterVersions.h"
#include "archive/Schema.h"

#include <gmock/gmock.h>

#include <cmath>

namespace ovena::test {
namespace {

using namespace archive;
using testing::ElementsAre;

class RegisterStore : public BothStores {
protected:
    PlantRegister plants() { return PlantRegister(archive->database(), {"office-1", "anna"}); }
};

std::vector<std::string> customersOf(const std::vector<Plant>& found) {
    std::vector<std::string> customers;
    for (const Plant& p : found)
        customers.push_back(p.customer);
    return customers;
}

TEST_P(RegisterStore, EveryChangeIsAVersionAndTheLatestIsThePlant) {
    PlantRegister reg = plants();
    Plant plant = samplePlant();
    std::swap(plant.generators[0], plant.generators[1]); // kept by number
    EXPECT_TRUE(reg.savePlant(plant));
    EXPECT_FALSE(reg.savePlant(plant)); // nothing changed: no version
    std::swap(plant.generators[0], plant.generators[1]);
    EXPECT_EQ(reg.plant("4711"), plant);
    EXPECT_FALSE(reg.plant("4711")->generators[0].heatInputKw.has_value());

    Plant edited = plant;
    edited.generators[0].usefulPowerKw.reset();
    edited.responsible.role.reset();
    EXPECT_TRUE(reg.savePlant(edited));
    // Another connection sees the same.
    EXPECT_EQ(PlantRegister(open().database(), {}).plant("4711"), edited);

    EXPECT_TRUE(reg.deletePlant("4711"));
    EXPECT_FALSE(reg.deletePlant("4711"));
    EXPECT_FALSE(reg.plant("4711").has_value());
    const std::vector<PlantVersion> history = reg.plantHistory("4711");
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0].plant, plant);
    EXPECT_EQ(history[1].plant, edited);
    EXPECT_TRUE(history[2].version.deleted);
    EXPECT_EQ(history[2].version.workstation, "office-1");
    EXPECT_EQ(history[2].version.user, "anna");
    EXPECT_LT(history[0].version.changedAt, history[1].version.changedAt);
    EXPECT_LT(history[1].version.changedAt, history[2].version.changedAt);
    EXPECT_EQ(reg.countPlants(), 0);

    EXPECT_TRUE(reg.savePlant(plant)); // back again
    EXPECT_EQ(reg.plant("4711"), plant);
}

TEST_P(RegisterStore, AnEditAfterAVersionFromAFastClockStillWins) {
    PlantRegister reg = plants();
    StoredVersion future{"f00d",   "plant", "7",   "2999-01-01T00:00:00.999Z",
                         "fast",   "x",     false, "responsible=Future\n",
                         "future", ""};
    insertVersion(archive->database(), future);
    Plant plant = samplePlant("7");
    ASSERT_TRUE(reg.savePlant(plant));
    EXPECT_EQ(reg.plant("7"), plant);
    EXPECT_EQ(reg.plantHistory("7").back().version.changedAt, "2999-01-01T00:00:01.000Z");
}

TEST_P(RegisterStore, PlantsAreFoundByTheBeginningOfNameAddressOrNumber) {
    PlantRegister reg = plants();
    const std::pair<const char*, const char*> people[] = {{"101", "Rossi Mario"},
                                                          {"102", "rössler Ute"},
                                                          {"203", "Zofia Węgierska"},
                                                          {"204", "Bianchi"},
                                                          {"\xE4"
                                                           "1",
                                                           "Ärger"}};
    std::vector<Plant> all;
    for (const auto& [customer, name] : people) {
        Plant p;
        p.customer = customer;
        p.responsible.name = name;
        p.address = "Via Roma " + std::to_string(all.size());
        all.push_back(p);
    }
    all[2].address = "Łódź, ulica Dvořákova 7";
    EXPECT_EQ(reg.savePlants(all), 5);
    EXPECT_EQ(reg.savePlants(all), 0);
    EXPECT_THAT(customersOf(reg.findPlants("ro")), ElementsAre("101", "102"));
    EXPECT_THAT(customersOf(reg.findPlants("LODZ, UL")), ElementsAre("203"));
    EXPECT_THAT(customersOf(reg.findPlants("ZOFIA WEG")), ElementsAre("203"));
    EXPECT_THAT(customersOf(reg.findPlants("10")), ElementsAre("101", "102"));
    EXPECT_THAT(customersOf(reg.findPlants("ä")), ElementsAre("\xE4"
                                                              "1"));
    EXPECT_THAT(customersOf(reg.findPlants("via roma 3")), ElementsAre("204"));
    EXPECT_THAT(customersOf(reg.findPlants("", 2)), ElementsAre("\xE4"
                                                                "1",
                                                                "204"));
    EXPECT_EQ(reg.countPlants(), 5);

    all[3].responsible.name = "Verdi"; // renamed: found by its new name only
    reg.savePlant(all[3]);
    EXPECT_THAT(customersOf(reg.findPlants("bian")), testing::IsEmpty());
    EXPECT_THAT(customersOf(reg.findPlants("verd")), ElementsAre("204"));
}

TEST_P(RegisterStore, WhatCannotBeAPlantIsRefused) {
    PlantRegister reg = plants();
    const auto refused = [&](auto change) {
        Plant p = samplePlant();
        change(p);
        EXPECT_THROW(reg.savePlant(p), ArchiveError);
    };
    refused([](Plant& p) { p.customer.clear(); });
    refused([](Plant& p) { p.address = "\xE4"; });
    refused([](Plant& p) { p.generators[1].maker = "\xC3"; });
    refused([](Plant& p) { p.generators[1].number = 1; });
    refused([](Plant& p) { p.generators[1].number = 0; });
    refused([](Plant& p) { p.generators[0].usefulPowerKw = -1; });
    refused([](Plant& p) { p.generators[0].heatInputKw = std::nan(""); });
    EXPECT_EQ(reg.countPlants(), 0);
}

TEST_P(RegisterStore, InstrumentsAndTheCompanyAreKept) {
    PlantRegister reg = plants();
    EXPECT_FALSE(reg.company().has_value());
    Company company{"Termotecnica Łukasz s.r.l.",
                    "Via Dante 1\nTorino",
                    "IT01234567890",
                    "TO-1234567",
                    {},
                    {{"Łukasz", "Dvořák", "L-77"}, {"Anna", "", ""}}};
    for (int byte = 0; byte < 256; ++byte)
        company.logo += static_cast<char>(byte);
    EXPECT_TRUE(reg.saveCompany(company));
    EXPECT_FALSE(reg.saveCompany(company));
    EXPECT_EQ(reg.company(), company);

    using namespace std::chrono;
    InstrumentEntry tev{"64000001", "TEV 640", 2024y / March / 15d, "Laboratorio Ω"};
    InstrumentEntry other{"\xA7"
                          "2",
                          "", std::nullopt, ""};
    EXPECT_TRUE(reg.saveInstrument(tev));
    EXPECT_TRUE(reg.saveInstrument(other));
    EXPECT_EQ(reg.instrument("64000001"), tev);
    EXPECT_TRUE(reg.deleteInstrument("\xA7"
                                     "2"));
    EXPECT_THAT(reg.instruments(), ElementsAre(tev));
}

INSTANTIATE_TEST_SUITE_P(Stores, RegisterStore,
                         testing::Values(Dialect::SQLite, Dialect::PostgreSQL), storeName);

TEST(RegisterSchema, AnArchiveOfAnEarlierVersionGetsTheRegister) {
    {
        Archive archive = Archive::openFile(archiveFile(), true);
        archive.store(readoutOf("64000001"), recordsOf({customerRecord("1", "2312241530")}));
        Database& db = archive.database();
        db.execute("DROP TABLE register_version");
        db.execute("DROP TABLE register_sync");
        db.execute("UPDATE archive_meta SET value = '2' WHERE name = 'schema_version'");
    }
    Archive archive = Archive::openFile(archiveFile(), false);
    EXPECT_EQ(storedSchemaVersion(archive.database()), SchemaVersion);
    PlantRegister reg(archive.database(), {"w", "u"});
    EXPECT_TRUE(reg.savePlant(samplePlant("1")));
    EXPECT_EQ(archive.countRecords({}), 1);
    EXPECT_THAT(archive.check(), testing::IsEmpty());
}

} // namespace
} // namespace ovena::test
