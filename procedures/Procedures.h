#pragma once

#include "link/TevCommands.h"
#include "procedures/InstrumentData.h"
#include "procedures/ProgressDialog.h"
#include "procedures/ReadoutSink.h"

#include <functional>
#include <string>
#include <vector>

namespace ovena {

class TFormKomm;
class UiServices;

// What the instrument procedures need of the front end that runs them.
struct ProcedureHost {
    UiServices& ui;
    TFormKomm& komm;
    ProgressDialog& progress;
    InstrumentData& data;
    // The number n of the port COMn the user chose; asked once as each procedure begins.
    std::function<int()> Port;
    // The instrument generation chosen, for the service command.
    std::function<InstrumentGeneration()> Generation;
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

// Hands COM`port` to the command exchange. A number outside 1 to MaxPort is refused with
// "Comport not available" and the exchange keeps the port it had.
void UsePort(UiServices& ui, TFormKomm& komm, int port);
inline constexpr int MaxPort = 99;

// Pads a record counter to three digits: "5" -> "005", "12" -> "012", "" -> "00"; longer texts
// stay as they are.
std::string PadCounter(std::string text);

inline constexpr const char* CommunicationErrorText = "Error TEV 640 communication";
inline constexpr const char* ArchiveFailedText = "The measurements could not be archived: ";

} // namespace ovena
