#pragma once

#include "procedures/InstrumentData.h"
#include "procedures/ProgressDialog.h"
#include "procedures/ReadoutSink.h"

#include <functional>
#include <string>
#include <vector>

namespace ovena {

class TFormKomm;
class UiServices;

// What the instrument procedures need of the main window that runs them.
struct ProcedureHost {
    UiServices& ui;
    TFormKomm& komm;
    ProgressDialog& progress;
    InstrumentData& data;
    // Hands the port chosen on the configuration page to the command exchange.
    std::function<void()> SelectPort;
    // The instrument generation: true selects the newer service command.
    std::function<bool()> NewGeneration;
    // Turns the collected record lines into the table and starts the export.
    std::function<void()> BuildTable;
    // Shows the info box with these lines (the last line on top) modally; returns when closed.
    std::function<void(const std::vector<std::string>& lines, const std::string& caption)>
        ShowInfoBox;
    // Where a readout's records go as they are read; none keeps them nowhere.
    ReadoutSink* Archive = nullptr;
};

// Reads the serial number, the fuel names and every stored record, hands the records to the
// archive, then builds the table (or shows the communication error). When the archive cannot
// keep them, the user is told once and the table is built all the same.
void ReadInstrument(ProcedureHost& host);

// Shows the instrument's version, serial number and record counters in the info box.
void ShowInstrumentInfo(ProcedureHost& host);

// Erases the instrument's measurement memory after the user confirmed it.
void ClearInstrumentMemory(ProcedureHost& host);

// Pads a record counter to three digits: "5" -> "005", "12" -> "012", "" -> "00"; longer texts
// stay as they are.
std::string PadCounter(std::string text);

inline constexpr const char* CommunicationErrorText = "Error TEV 640 communication";
inline constexpr const char* ArchiveFailedText = "The measurements could not be archived: ";

} // namespace ovena
