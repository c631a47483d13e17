// The table rows of archived records: counted, sorted and paged in the store, on a real SQLite
// file and a real PostgreSQL server; made for archives of the first schema when they are opened.

#include "ArchiveFixture.h"

#include "archive/Schema.h"
#include "archive/SqliteDatabase.h"

#include <gmock/gmock.h>

#include <map>

namespace ovena::test {
namespace {

using namespace archive;
using testing::ElementsAre;
using Column = MeasurementOrder::Column;

// A record with three tests and a measurement: four rows.
std::string testedRecord(const std::string& customer, const std::string& date) {
    return "1;" + customer + "|21;" + date + ";1;10|22;" + date + ";1;11|23;" + date + ";1;12|2;" +
           date + ";1;13";
}

// Each row as "record's customer/position", in the order listed.
std::vector<std::string> rowsOf(Archive& archive, const RecordFilter& filter,
                                MeasurementOrder order, std::int64_t offset = 0,
                                std::int64_t limit = -1) {
    std::map<std::int64_t, std::string> customerOf;
    for (const RecordSummary& r : archive.listRecords({}, {}))
        customerOf[r.id] = r.customer;
    std::vector<std::string> rows;
    for (const ArchivedMeasurement& m : archive.listMeasurements(filter, order, offset, limit))
        rows.push_back(customerOf[m.record] + "/" + std::to_string(m.row.position));
    return rows;
}

TEST_P(BothStores, MeasurementsAreCountedSortedAndPagedInTheStore) {
    archive->store(readoutOf("64000001"), recordsOf({customerRecord("100", "2312241530", 1, "18.3"),
                                                     customerRecord("9", "2312251000", 2, "7,5"),
                                                     testedRecord("9", "2312260800"), "1;77",
                                                     customerRecord("", "2312270900", 1, "-")}));
    archive->store(readoutOf("64000001"),
                   recordsOf({customerRecord("100", "2312241530", 1, "18.3")}));

    // Records read again add no rows; a customer line alone is a row; an empty customer number
    // is no customer.
    MeasurementCount all = archive->countMeasurements({});
    EXPECT_EQ(all.measurements, 8);
    EXPECT_EQ(all.customers, 3);
    EXPECT_TRUE(all.tests);
    RecordFilter nine;
    nine.customer = "9";
    EXPECT_EQ(archive->countMeasurements(nine).measurements, 5);
    nine.to = "2023-12-25";
    const MeasurementCount plain = archive->countMeasurements(nine);
    EXPECT_EQ(plain.measurements, 1);
    EXPECT_EQ(plain.customers, 1);
    EXPECT_FALSE(plain.tests);

    // By date: the record without one first, a record's rows in their order.
    EXPECT_THAT(rowsOf(*archive, {}, {}),
                ElementsAre("77/0", "100/0", "9/0", "9/0", "9/1", "9/2", "9/3", "/0"));
    // By a value, both ways: rows without it last either way; equal values by date.
    EXPECT_THAT(rowsOf(*archive, {}, {Column::Value, 3, false}),
                ElementsAre("9/0", "9/0", "9/1", "9/2", "9/3", "100/0", "77/0", "/0"));
    EXPECT_THAT(rowsOf(*archive, {}, {Column::Value, 3, true}),
                ElementsAre("100/0", "9/3", "9/2", "9/1", "9/0", "9/0", "77/0", "/0"));
    // Customer numbers as numbers; tests apart from measurements; drafts.
    EXPECT_THAT(rowsOf(*archive, {}, {Column::Customer, 0, true}),
                ElementsAre("100/0", "77/0", "9/0", "9/0", "9/1", "9/2", "9/3", "/0"));
    EXPECT_THAT(rowsOf(*archive, {}, {Column::LineType, 0, true}),
                ElementsAre("9/2", "9/1", "9/0", "100/0", "9/0", "9/3", "/0", "77/0"));
    EXPECT_THAT(rowsOf(*archive, {}, {Column::Draft, 0, false}, 0, 3),
                ElementsAre("100/0", "9/0", "/0"));

    // Pages of the order, and the rows of selected records.
    EXPECT_THAT(rowsOf(*archive, {}, {}, 3, 3), ElementsAre("9/0", "9/1", "9/2"));
    EXPECT_THAT(rowsOf(*archive, {}, {}, 6), ElementsAre("9/3", "/0"));
    RecordFilter selected;
    selected.ids = std::vector<std::int64_t>{archive->listRecords(nine, {})[0].id};
    EXPECT_THAT(rowsOf(*archive, selected, {}), ElementsAre("9/0"));

    // The values come as stored numbers.
    const auto first = archive->listMeasurements(nine, {});
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].row.lineType, 2);
    EXPECT_EQ(first[0].row.measuredAt, "2023-12-25T10:00");
    EXPECT_EQ(first[0].row.values[3], 7.5);
    EXPECT_EQ(first[0].row.values[13], 9.3);
    EXPECT_EQ(first[0].row.values[20], 0.0);
    EXPECT_EQ(first[0].row.draft, 12.2);

    EXPECT_THROW(archive->listMeasurements({}, {Column::Value, 2, false}), ArchiveError);
}

TEST_P(BothStores, SearchFieldsFindTheTextsThatBeginWithWhatIsTyped) {
    archive->store(
        readoutOf("64000001", {"Heiz\xF6l EL", "Erdgas H", "Holz"}),
        recordsOf({customerRecord("4711", "2312241530", 3), customerRecord("471", "2312241531"),
                   customerRecord("48", "2312241532"), customerRecord("4\xFF", "2312241533"),
                   customerRecord("\xFF\xFF", "2312241534", 2),
                   customerRecord("5", "2312241535")}));
    archive->store(readoutOf("64100002"), recordsOf({customerRecord("4712", "2312241536")}));
    const auto found = [&](const std::string& customer, const std::string& instrument = "") {
        RecordFilter filter;
        filter.customer = customer;
        filter.instrument = instrument;
        filter.beginnings = true;
        std::vector<std::string> customers;
        for (const RecordSummary& r : archive->listRecords(filter, {}))
            customers.push_back(r.customer);
        return customers;
    };
    EXPECT_THAT(found("47"), ElementsAre("4711", "471", "4712"));
    EXPECT_THAT(found("47", "640"), ElementsAre("4711", "471"));
    EXPECT_THAT(found("4\xFF"), ElementsAre("4\xFF"));
    EXPECT_THAT(found("\xFF"), ElementsAre("\xFF\xFF"));
    EXPECT_EQ(found("").size(), 7u);
    EXPECT_THAT(found("", "6410"), ElementsAre("4712"));
    EXPECT_THAT(found("4%"), testing::IsEmpty());

    EXPECT_THAT(archive->fuels(), ElementsAre("Erdgas H", "Heiz\xF6l EL", "Holz"));
}

TEST(MeasurementRows, AnArchiveOfTheFirstSchemaGetsItsRowsWhenOpened) {
    {
        Archive archive = Archive::openFile(archiveFile(), true);
        archive.store(readoutOf("64000001"), recordsOf({customerRecord("1", "2312241530"),
                                                        testedRecord("2", "2312241600")}));
        // As the first schema left it.
        Database& db = archive.database();
        db.execute("DROP TABLE measurement");
        db.execute("DROP TABLE register_version");
        db.execute("DROP TABLE register_sync");
        db.execute("UPDATE archive_meta SET value = '1' WHERE name = 'schema_version'");
    }
    Archive archive = Archive::openFile(archiveFile(), false);
    EXPECT_EQ(storedSchemaVersion(archive.database()), SchemaVersion);
    EXPECT_EQ(archive.countMeasurements({}).measurements, 5);
    EXPECT_THAT(archive.check(), testing::IsEmpty());
}

} // namespace
} // namespace ovena::test
