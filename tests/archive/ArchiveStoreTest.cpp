// The archive's store and queries, each case on a real SQLite file and on a real PostgreSQL
// server started for the test.

#include "ArchiveFixture.h"

#include <gmock/gmock.h>

namespace ovena::test {
namespace {

using namespace archive;
using testing::ElementsAre;

std::vector<std::string> customers(const std::vector<RecordSummary>& records) {
    std::vector<std::string> result;
    for (const RecordSummary& r : records)
        result.push_back(r.customer);
    return result;
}

std::vector<std::string> customersWhere(Archive& archive, const RecordFilter& filter,
                                        RecordOrder order = {}) {
    return customers(archive.listRecords(filter, order));
}

TEST_P(BothStores, ARecordReadAgainIsKeptOnce) {
    const auto memory =
        recordsOf({customerRecord("4711", "2312241530"), customerRecord("4712", "2312251000"),
                   customerRecord("4713", "2312261100")});
    StoredReadout first = archive->store(readoutOf("64000001"), memory);
    EXPECT_EQ(first.records, 3);
    EXPECT_EQ(first.newRecords, 3);

    // The same memory read again, now with one record more.
    auto grown = memory;
    grown.push_back(recordsOf({customerRecord("4714", "2312271200")})[0]);
    StoredReadout second =
        archive->store(readoutOf("64000001", {"Heiz\xF6l EL"}, "2024-05-02T09:00:00Z"), grown);
    EXPECT_EQ(second.records, 4);
    EXPECT_EQ(second.newRecords, 1);
    EXPECT_NE(second.readout, first.readout);

    // The same lines from another instrument, and a record with one line more, are new.
    auto other = memory;
    other[0].push_back("21;2312241531;1;18.3");
    EXPECT_EQ(archive->store(readoutOf("64000002"), {memory[0]}).newRecords, 1);
    EXPECT_EQ(archive->store(readoutOf("64000001"), {other[0]}).newRecords, 1);

    ArchiveStats stats = archive->stats();
    EXPECT_EQ(stats.records, 6);
    EXPECT_EQ(stats.readouts, 4);
    EXPECT_EQ(stats.instruments, 2);
    EXPECT_EQ(stats.customers, 4);
    EXPECT_EQ(stats.firstDate, "2023-12-24T15:30");
    EXPECT_EQ(stats.lastDate, "2023-12-27T12:00");
    EXPECT_THAT(archive->check(), testing::IsEmpty());
}

TEST_P(BothStores, HostileBytesRoundTripExactly) {
    std::string everyByte;
    for (int b = 0; b < 256; ++b)
        if (b != '\r')
            everyByte += static_cast<char>(b);
    const std::string serial("64'0;\"\x80\0x", 9);
    const std::vector<std::string> fuels{"Gas <L>'; --", "\xE4\xF6\xFC\xDF"};
    const RecordLines hostile{
        "1;O'Brien \"quoted\"; DROP TABLE record; --",
        std::string("2;2312241530;2;1\0"
                    "8.3",
                    20),
        everyByte,
        std::string(10000, 'x') + "\xFF",
        "",
        ";;;'",
        "2;2312241545;1;\\x00\\\\",
    };
    archive->store(readoutOf(serial, fuels), {hostile});

    int seen = 0;
    archive->forEachRecord({}, {}, [&](const ArchivedRecord& record) {
        ++seen;
        EXPECT_EQ(record.lines, hostile);
        EXPECT_EQ(*record.fuelNames, fuels);
        EXPECT_EQ(record.summary.instrumentSerial, serial);
        EXPECT_EQ(record.summary.customer, "O'Brien \"quoted\"");
        EXPECT_EQ(record.summary.fuel, fuels[1]);
        EXPECT_EQ(record.summary.measuredAt, "2023-12-24T15:30");
        EXPECT_EQ(record.summary.lineCount, 7);
        EXPECT_EQ(record.summary.lineTypes, "1,2,?,?,?,?,2");
    });
    EXPECT_EQ(seen, 1);

    RecordFilter exact;
    exact.customer = "O'Brien \"quoted\"";
    exact.instrument = serial;
    exact.fuel = fuels[1];
    EXPECT_EQ(archive->countRecords(exact), 1);
    // Reading it again from another connection finds it once more, not twice.
    Archive again = open();
    EXPECT_EQ(again.store(readoutOf(serial, fuels), {hostile}).newRecords, 0);
    EXPECT_EQ(again.countRecords({}), 1);
    EXPECT_THAT(again.check(), testing::IsEmpty());
}

TEST_P(BothStores, FilterTextsMatchLiterally) {
    const std::vector<std::string> tricky{"4711",        "47%",      "4_11", "%",
                                          "' OR '1'='1", "4711' --", "a\\b", "47"};
    std::vector<std::string> records;
    for (std::size_t i = 0; i < tricky.size(); ++i)
        records.push_back(customerRecord(tricky[i], "23122" + std::to_string(i) + "1530"));
    archive->store(readoutOf("64000001"), recordsOf(records));

    for (const std::string& customer : tricky) {
        RecordFilter filter;
        filter.customer = customer;
        EXPECT_THAT(customersWhere(*archive, filter), ElementsAre(customer)) << customer;
    }
    for (const char* nothing : {"_", "4%", "4711%", "' OR 1=1 --", "\"4711\""}) {
        RecordFilter filter;
        filter.customer = nothing;
        EXPECT_EQ(archive->countRecords(filter), 0) << nothing;
        filter.customer.reset();
        filter.instrument = nothing;
        EXPECT_EQ(archive->countRecords(filter), 0) << nothing;
        filter.instrument.reset();
        filter.fuel = nothing;
        EXPECT_EQ(archive->countRecords(filter), 0) << nothing;
    }
    RecordFilter injected;
    injected.from = "2023-01-01' OR '1'='1";
    EXPECT_THROW(archive->countRecords(injected), ArchiveError);
    EXPECT_EQ(archive->countRecords({}), static_cast<std::int64_t>(tricky.size()));
}

TEST_P(BothStores, QueriesFilterCountSortAndPageInTheStore) {
    archive->store(readoutOf("64000001"), recordsOf({customerRecord("100", "2312241530", 1),
                                                     customerRecord("9", "2312251000", 2),
                                                     customerRecord("10", "2312252359", 9), "1;77",
                                                     customerRecord("9", "2312260800", 0)}));
    archive->store(readoutOf("64000002", {"Holz"}, "2024-05-01T11:00:00Z"),
                   recordsOf({customerRecord("9", "2312251200", 1)}));

    // Oldest first; a record without a measurement has no date and comes first.
    EXPECT_THAT(customersWhere(*archive, {}), ElementsAre("77", "100", "9", "9", "10", "9"));
    EXPECT_THAT(customersWhere(*archive, {}, {RecordColumn::MeasuredAt, true}),
                ElementsAre("9", "10", "9", "9", "100", "77"));
    // Customer numbers sort as numbers.
    EXPECT_THAT(customersWhere(*archive, {}, {RecordColumn::Customer, false}),
                ElementsAre("9", "9", "9", "10", "77", "100"));

    RecordFilter day;
    day.from = "2023-12-25";
    day.to = "2023-12-25";
    EXPECT_THAT(customersWhere(*archive, day), ElementsAre("9", "9", "10"));
    EXPECT_EQ(archive->countRecords(day), 3);
    day.to = "2023-12-25T12:00"; // inclusive to the minute
    EXPECT_THAT(customersWhere(*archive, day), ElementsAre("9", "9"));
    day.instrument = "64000002";
    EXPECT_THAT(customersWhere(*archive, day), ElementsAre("9"));

    RecordFilter fuel;
    fuel.fuel = "Erdgas H"; // fuel 2, and fuel 9 clamped to the last name read
    EXPECT_THAT(customersWhere(*archive, fuel), ElementsAre("9", "10"));
    fuel.fuel = "Heiz\xF6l EL"; // fuel 1, and fuel 0 clamped to the first
    EXPECT_THAT(customersWhere(*archive, fuel), ElementsAre("100", "9"));

    // Pages of the full order, and a selection.
    const auto all = archive->listRecords({}, {});
    const auto page = archive->listRecords({}, {}, 2, 3);
    ASSERT_EQ(page.size(), 3u);
    for (std::size_t i = 0; i < page.size(); ++i)
        EXPECT_EQ(page[i].id, all[i + 2].id);
    EXPECT_EQ(archive->listRecords({}, {}, 4).size(), 2u);
    RecordFilter selection;
    selection.ids = std::vector<std::int64_t>{all[5].id, all[1].id};
    EXPECT_THAT(customersWhere(*archive, selection), ElementsAre("100", "9"));
    selection.ids->clear();
    EXPECT_EQ(archive->countRecords(selection), 0);

    for (const char* bad : {"2023-13-01", "23-12-25", "2023-12-25 25:00", "yesterday"}) {
        RecordFilter wrong;
        wrong.to = bad;
        EXPECT_THROW(archive->countRecords(wrong), ArchiveError) << bad;
    }
}

TEST_P(BothStores, RecordsComeWithTheirOwnReadoutsFuelNames) {
    archive->store(readoutOf("64000001", {"Heiz\xF6l EL", "Erdgas H"}),
                   recordsOf({customerRecord("1", "2312241530", 2), "1;2|12;x;1;2;3",
                              customerRecord("3", "2201010000", 1)}));
    archive->store(readoutOf("64000002", {"Holz"}, "2024-05-01T12:00:00Z"),
                   recordsOf({customerRecord("4", "2001010000", 1)}));
    std::vector<std::string> seen;
    archive->forEachRecord({}, {RecordColumn::FirstRead, false}, [&](const ArchivedRecord& r) {
        seen.push_back(r.summary.instrumentSerial + " " + r.summary.customer + " " +
                       std::to_string(r.lines.size()) + " " + r.fuelNames->back());
    });
    // As read: readout by readout, each in the instrument's order.
    EXPECT_THAT(seen, ElementsAre("64000001 1 3 Erdgas H", "64000001 2 2 Erdgas H",
                                  "64000001 3 3 Erdgas H", "64000002 4 3 Holz"));
}

TEST_P(BothStores, ARecordThatCannotBeALineIsRefusedAndNothingIsKept) {
    auto records = recordsOf({customerRecord("1", "2312241530"), "1;2\r2;3"});
    EXPECT_THROW(archive->store(readoutOf("64000001"), records), ArchiveError);
    EXPECT_THROW(archive->store(readoutOf("64000001"), {RecordLines{}}), ArchiveError);
    EXPECT_EQ(archive->stats().readouts, 0);
    EXPECT_EQ(archive->countRecords({}), 0);
}

INSTANTIATE_TEST_SUITE_P(Stores, BothStores, testing::Values(Dialect::SQLite, Dialect::PostgreSQL),
                         storeName);

} // namespace
} // namespace ovena::test
