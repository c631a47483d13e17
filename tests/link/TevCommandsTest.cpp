#include "link/TevCommands.h"

#include <gtest/gtest.h>

namespace {

using namespace ovena;

TEST(TevCommands, NumberedCommandsCarryFixedWidthNumbers) {
    EXPECT_EQ(fuelNameCommand(1), "R40101");
    EXPECT_EQ(fuelNameCommand(60), "R40160");
    EXPECT_EQ(recordCommand(0), "R302000");
    EXPECT_EQ(recordCommand(12), "R302012");
    EXPECT_EQ(recordCommand(1234), "R3021234") << "never cut";
    EXPECT_EQ(serviceCommand(InstrumentGeneration::First), "SERVICE001");
    EXPECT_EQ(serviceCommand(InstrumentGeneration::Second), "SERVICE002");
}

TEST(TevCommands, ReplyItemsAndTheEndOfARecord) {
    EXPECT_EQ(replyItem("1000;12;3;2", CapacityItem), "1000");
    EXPECT_EQ(replyItem("1000;12;3;2", RecordsToReadItem), "3");
    EXPECT_EQ(replyItem("1000;12;3;2", MeasurementRecordsItem), "2");
    EXPECT_EQ(replyItem("1000;12", MeasurementRecordsItem), "") << "missing items are empty";
    EXPECT_EQ(replyItem("7;1;Heiz\xF6l EL", FuelNameItem), "Heiz\xF6l EL");
    EXPECT_EQ(replyItem("a;b", 0), "");
    EXPECT_TRUE(isEndOfRecord("X"));
    EXPECT_TRUE(isEndOfRecord("X;0"));
    EXPECT_FALSE(isEndOfRecord(""));
    EXPECT_FALSE(isEndOfRecord("x"));
    EXPECT_FALSE(isEndOfRecord("2;X"));
    // After a CR LF line end the reply begins with the line feed.
    EXPECT_TRUE(isEndOfRecord("\nX"));
    EXPECT_FALSE(isEndOfRecord("\n"));
    EXPECT_FALSE(isEndOfRecord("\n1;4711"));
    EXPECT_FALSE(isEndOfRecord(" X"));
}

} // namespace
