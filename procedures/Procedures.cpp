#include "procedures/Procedures.h"

#include "link/Funcs.h"
#include "link/TevCommands.h"
#include "link/Tools.h"
#include "link/komm.h"
#include "platform/UiServices.h"
#include "platform/Version.h"

#include <algorithm>
#include <optional>

namespace ovena {

namespace {

// Shows the hourglass; closes the port, and the dialog where asked, and restores the cursor
// however the procedure ends: also when a step throws.
class FinishingSteps {
public:
    FinishingSteps(ProcedureHost& host, bool closeProgress)
        : host_(host), closeProgress_(closeProgress) {
        host_.ui.setCursor(CursorShape::Hourglass);
    }
    ~FinishingSteps() {
        host_.komm.Serial.Close();
        if (closeProgress_)
            host_.progress.Close();
        host_.ui.setCursor(CursorShape::Default);
    }
    FinishingSteps(const FinishingSteps&) = delete;
    FinishingSteps& operator=(const FinishingSteps&) = delete;

private:
    ProcedureHost& host_;
    bool closeProgress_;
};

// Opens the port and puts the instrument into service mode; false when the service command
// got no reply.
bool EnterServiceMode(ProcedureHost& host) {
    host.komm.OpenPort();
    host.komm.InitPort();
    host.komm.SendCommand(std::string(CmdWakeUp)); // its outcome does not matter
    host.komm.SendCommand(serviceCommand(host.Generation()));
    return !host.komm.CommError;
}

bool Send(ProcedureHost& host, const std::string& command) {
    host.komm.SendCommand(command);
    return !host.komm.CommError;
}

// The steps of the readout up to the end of the record phase and the closing commands. Returns
// when done, at the first time-out that ends the procedure, or on cancel: how the record phase
// ended, or nothing when it was not reached.
std::optional<ReadoutEnd> ReadSteps(ProcedureHost& host) {
    TFormKomm& komm = host.komm;
    ProgressDialog& progress = host.progress;
    InstrumentData& data = host.data;

    if (!EnterServiceMode(host))
        return std::nullopt;

    progress.ShowStatus("Read fuel text");
    if (!Send(host, std::string(CmdReadVersion)))
        return std::nullopt;
    if (!Send(host, std::string(CmdReadSerial)))
        return std::nullopt;
    data.InstrumentSerial = komm.ReplyText;

    if (!Send(host, std::string(CmdReadFuelCount)))
        return std::nullopt;
    const int fuelsReported = TextToInt(replyItem(komm.ReplyText, FuelCountItem));
    progress.SetProgressMax(fuelsReported);
    // A negative count from a garbled reply reads as no fuel names.
    data.FuelCount = std::clamp(fuelsReported, 0, MaxFuelNames);
    for (int i = 1; i <= data.FuelCount; ++i) {
        progress.SetProgress(i);
        if (!Send(host, fuelNameCommand(i)))
            return std::nullopt;
        data.FuelNames[static_cast<std::size_t>(i)] =
            replyItem(komm.ReplyText, FuelNameItem).substr(0, MaxFuelNameLength);
    }

    progress.SetProgress(0);
    progress.ShowStatus("Read database");
    data.Memo1.Lines.clear();
    if (!Send(host, std::string(CmdReadCounters)))
        return std::nullopt;
    // Record numbers have three digits: a larger count (a garbled reply) would make requests
    // the instrument cannot answer.
    const int records =
        std::clamp(TextToInt(replyItem(komm.ReplyText, RecordsToReadItem)), 0, MaxRecords);

    ReadoutEnd end = ReadoutEnd::Complete;
    progress.SetProgressMax(records);
    for (int j = 0; j < records; ++j) {
        progress.SetProgress(j);
        if (progress.Cancelled())
            return ReadoutEnd::Cancelled;
        if (!Send(host, recordCommand(j))) {
            end = ReadoutEnd::CommunicationError;
            break; // a lost record ends the record phase; what was read is kept
        }
        const std::size_t recordStart = data.Memo1.Lines.size();
        data.Memo1.Lines.push_back(komm.ReplyText);
        bool whole = false;
        while (!isEndOfRecord(komm.ReplyText)) {
            // A record whose lines never end would otherwise hold the readout for ever. A record
            // cut short by the user is dropped whole: its first lines alone would make a row
            // with a customer and no measurements.
            if (progress.Cancelled()) {
                data.Memo1.Lines.resize(recordStart);
                return ReadoutEnd::Cancelled;
            }
            if (!Send(host, std::string(CmdReadNextLine))) {
                end = ReadoutEnd::CommunicationError;
                break; // a lost continuation ends this record only
            }
            whole = isEndOfRecord(komm.ReplyText);
            if (whole)
                break;
            data.Memo1.Lines.push_back(komm.ReplyText);
        }
        if (whole && host.Archive)
            host.Archive->RecordRead(std::span(data.Memo1.Lines).subspan(recordStart));
    }

    if (!Send(host, std::string(CmdReadoutDone)) || !Send(host, std::string(CmdEndService)))
        return ReadoutEnd::CommunicationError;
    return end;
}

// The ten lines of the info box, top line last; no value when an exchange timed out.
std::optional<std::vector<std::string>> ReadInfoLines(ProcedureHost& host) {
    TFormKomm& komm = host.komm;
    if (!EnterServiceMode(host) || !Send(host, std::string(CmdReadVersion)))
        return std::nullopt;
    const std::string version = komm.ReplyText;
    if (!Send(host, std::string(CmdReadSerial)))
        return std::nullopt;
    const std::string serial = komm.ReplyText;
    if (!Send(host, std::string(CmdReadCounters)))
        return std::nullopt;
    auto counter = [&](int item) { return PadCounter(replyItem(komm.ReplyText, item)); };
    const std::string rule(32, '-');
    return std::vector<std::string>{
        "Meas.data records:       " + counter(MeasurementRecordsItem),
        "Used data records:       " + counter(UsedRecordsItem),
        "Capacity records :       " + counter(CapacityItem),
        rule,
        "TEV640   Version : " + version,
        "TEV640   Sernr   : " + serial,
        std::string("OVENA    Version : ") + VersionText,
        rule,
        "Halvor Safety TEV GmbH",
        "www.halvor-safety-tev.de",
    };
}

} // namespace

void UsePort(UiServices& ui, TFormKomm& komm, int port) {
    if (port < 1 || port > MaxPort) {
        ErrorBox(ui, "Comport not available");
        return;
    }
    komm.Port = port;
}

std::string PadCounter(std::string text) {
    if (text.size() == 2)
        text.insert(0, "0");
    if (text.size() <= 1)
        text.insert(0, "00");
    return text;
}

void ReadInstrument(ProcedureHost& host) {
    std::optional<ReadoutEnd> end;
    {
        FinishingSteps finish(host, true);
        // The port number is taken before the dialog opens, so a bad number is reported first.
        UsePort(host.ui, host.komm, host.Port());
        if (host.Archive)
            host.Archive->ReadoutStarted();
        host.progress.StartProgress("Read TEV 640 Database", true);
        host.progress.ShowStatus("Open TEV 640");
        end = ReadSteps(host);
    }
    // The records are kept before anything else can go wrong; a failure is told once and the
    // table is built all the same.
    if (host.Archive && end) {
        const Outcome kept = host.Archive->ReadoutEnded(host.data, *end);
        if (!kept)
            ErrorBox(host.ui, ArchiveFailedText + kept.Reason());
    }
    if (host.komm.CommError)
        ErrorBox(host.ui, CommunicationErrorText);
    else
        host.BuildTable();
}

void ShowInstrumentInfo(ProcedureHost& host) {
    {
        FinishingSteps finish(host, false);
        UsePort(host.ui, host.komm, host.Port());
        if (auto lines = ReadInfoLines(host)) {
            host.ui.setCursor(CursorShape::Default);
            // The port stays open while the box is shown and is closed when it has closed.
            host.ShowInfoBox(*lines, "Ovena");
        }
    }
    if (host.komm.CommError)
        ErrorBox(host.ui, CommunicationErrorText);
}

void ClearInstrumentMemory(ProcedureHost& host) {
    if (!ConfirmBox(host.ui, "Clear data memory in Instrument?"))
        return;
    {
        FinishingSteps finish(host, false);
        UsePort(host.ui, host.komm, host.Port());
        if (EnterServiceMode(host) && Send(host, std::string(CmdReadVersion)) &&
            Send(host, std::string(CmdEraseMemory)))
            Send(host, std::string(CmdEndService));
    }
    if (host.komm.CommError)
        ErrorBox(host.ui, CommunicationErrorText);
}

} // namespace ovena
