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
    host.komm.SendCommand(serviceCommand(host.NewGeneration()));
    return !host.komm.CommError;
}

bool Send(ProcedureHost& host, const std::string& command) {
    host.komm.SendCommand(command);
    return !host.komm.CommError;
}

// The steps of the readout up to the end of the record phase and the closing commands. Returns
// when done, at the first time-out that ends the procedure, or on cancel.
void ReadSteps(ProcedureHost& host) {
    TFormKomm& komm = host.komm;
    ProgressDialog& progress = host.progress;
    InstrumentData& data = host.data;

    if (!EnterServiceMode(host))
        return;

    progress.ShowStatus("Read fuel text");
    if (!Send(host, std::string(CmdReadVersion)))
        return;
    if (!Send(host, std::string(CmdReadSerial)))
        return;
    data.InstrumentSerial = komm.ReplyText;

    if (!Send(host, std::string(CmdReadFuelCount)))
        return;
    const int fuelsReported = TextToInt(replyItem(komm.ReplyText, FuelCountItem));
    progress.SetProgressMax(fuelsReported);
    // A negative count from a garbled reply reads as no fuel names.
    data.FuelCount = std::clamp(fuelsReported, 0, MaxFuelNames);
    for (int i = 1; i <= data.FuelCount; ++i) {
        progress.SetProgress(i);
        if (!Send(host, fuelNameCommand(i)))
            return;
        data.FuelNames[static_cast<std::size_t>(i)] =
            replyItem(komm.ReplyText, FuelNameItem).substr(0, MaxFuelNameLength);
    }

    progress.SetProgress(0);
    progress.ShowStatus("Read database");
    data.Memo1.Lines.clear();
    if (!Send(host, std::string(CmdReadCounters)))
        return;
    // Record numbers have three digits: a larger count (a garbled reply) would make requests
    // the instrument cannot answer.
    const int records =
        std::clamp(TextToInt(replyItem(komm.ReplyText, RecordsToReadItem)), 0, MaxRecords);

    progress.SetProgressMax(records);
    for (int j = 0; j < records; ++j) {
        progress.SetProgress(j);
        if (progress.Cancelled())
            return;
        if (!Send(host, recordCommand(j)))
            break; // a lost record ends the record phase; what was read is kept
        const std::size_t recordStart = data.Memo1.Lines.size();
        data.Memo1.Lines.push_back(komm.ReplyText);
        while (!isEndOfRecord(komm.ReplyText)) {
            // A record whose lines never end would otherwise hold the readout for ever. A record
            // cut short by the user is dropped whole: its first lines alone would make a row
            // with a customer and no measurements.
            if (progress.Cancelled()) {
                data.Memo1.Lines.resize(recordStart);
                return;
            }
            if (!Send(host, std::string(CmdReadNextLine)))
                break; // a lost continuation ends this record only
            if (isEndOfRecord(komm.ReplyText))
                break;
            data.Memo1.Lines.push_back(komm.ReplyText);
        }
    }

    if (!Send(host, std::string(CmdReadoutDone)))
        return;
    Send(host, std::string(CmdEndService));
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

std::string PadCounter(std::string text) {
    if (text.size() == 2)
        text.insert(0, "0");
    if (text.size() <= 1)
        text.insert(0, "00");
    return text;
}

void ReadInstrument(ProcedureHost& host) {
    {
        FinishingSteps finish(host, true);
        // The port number is taken before the dialog opens, so a bad number is reported first.
        host.SelectPort();
        host.progress.StartProgress("Read TEV 640 Database", true);
        host.progress.ShowStatus("Open TEV 640");
        ReadSteps(host);
    }
    if (host.komm.CommError)
        ErrorBox(host.ui, CommunicationErrorText);
    else
        host.BuildTable();
}

void ShowInstrumentInfo(ProcedureHost& host) {
    {
        FinishingSteps finish(host, false);
        host.SelectPort();
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
        host.SelectPort();
        if (EnterServiceMode(host) && Send(host, std::string(CmdReadVersion)) &&
            Send(host, std::string(CmdEraseMemory)))
            Send(host, std::string(CmdEndService));
    }
    if (host.komm.CommError)
        ErrorBox(host.ui, CommunicationErrorText);
}

} // namespace ovena
