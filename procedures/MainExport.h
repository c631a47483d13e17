#pragma once

#include "export/EC_SGrid.h"
#include "procedures/InstrumentData.h"
#include "table/OutputSettings.h"
#include "table/TableBuilder.h"

#include <span>

namespace ovena {

// The main window's export of the measurement table: the export component set up as the
// window keeps it, and the table step that ends every successful readout. The desktop window
// and ovena-cli share it, so both export the same way.
class MainExport {
public:
    // The component is bound to `grid`, which must outlive it.
    MainExport(ExportServices& services, Form* owner, StringGrid& grid);

    TExportStringGrid ExportStringGrid1;

    // Applies the header check boxes, fills the table from the readout's lines (only the rows
    // of this readout: a readout without records leaves nothing to export), asks for the
    // format and the destination and exports. The application is restored from a minimised
    // state when the export returns, also when it throws. Answers whether the export succeeded.
    bool BuildTable(const InstrumentData& data, OutputSettings& settings);
    // The same for records of any instruments, each with its own serial number and fuel names
    // (records kept in the measurement archive).
    bool ExportRecords(std::span<const TableRecord> records, OutputSettings& settings);

    // The table the export writes.
    StringGrid& Table() const { return grid_; }

private:
    StringGrid& grid_;
};

} // namespace ovena
