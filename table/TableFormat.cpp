#include "table/TableFormat.h"

#include "table/OutputSettings.h"

namespace ovena {

TableFormat::TableFormat(const OutputSettings& settings)
    : fields(settings.Listboxfields.Checked),
      dateLayout(settings.RadioGroup1.ItemIndex >= 0 && settings.RadioGroup1.ItemIndex <= 4
                     ? static_cast<DateLayout>(settings.RadioGroup1.ItemIndex)
                     : DateLayout::DayMonthYear),
      twoDigitYear(settings.RadioGroup2.ItemIndex == 1),
      decimalMark(settings.RadioGroup3.ItemIndex == 1 ? '.' : ','),
      unitsInHeadings(settings.CBDimension.Checked) {}

} // namespace ovena
