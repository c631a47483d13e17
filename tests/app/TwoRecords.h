#pragma once

namespace ovena::test {

// The instrument the window's procedures read in these tests: tev640-sim on COM5 with two
// stored measurements.
inline constexpr int TwoRecordsPort = 5;
inline constexpr const char* TwoRecordsMemory =
    "serial=64012345\nfirmware=V3.02\nfuel=Heiz\xF6l EL\nfuel=Erdgas H\n"
    "record\n1;4711\n"
    "2;0712241530;2;21.5;180.2;60.0;3.5;12;40;1013.2;1.20;10.8;15;7.3;0;0;0;0;0;1;0;41\n"
    "end\nrecord\n1;4712\n"
    "2;0712251000;1;20.0;150.0;55.0;4.0;8;35;1001.0;1.24;12.1;9;0.05;1;0;0;0;0;0;0;35\n"
    "end\n";
// The CSV file the window writes from TwoRecordsMemory with the fields 0, 1, 2, 3, 7 and 18,
// the headline and row numbers, under a German locale.
inline constexpr const char* TwoRecordsCsv =
    "\"Item\";\"\";\"Serial No.\";\"Cust.No.\";\"Time\";\"Fuel\";\"O2\";\"Eta\";\"\"\r\n"
    "1;\"\";64012345;4711;\"24.12.07  15:30\";\"Erdgas H\";3,5;92,7;\"\"\r\n"
    "2;\"\";64012345;4712;\"25.12.07  10:00\";\"Heiz\xF6l EL\";4,0;\"\";\"\"\r\n";

} // namespace ovena::test
