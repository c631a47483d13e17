// The reply and record-line splitter and the number conversions, fed any bytes.

#include "FuzzSupport.h"

#include "link/Funcs.h"
#include "link/Scan.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <string>

using namespace ovena;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int width = in.ConsumeIntegralInRange(0, 64);
    const int decimals = in.ConsumeIntegralInRange(0, 40);
    const std::string text = in.ConsumeRemainingBytesAsString();

    // The items, joined again with ";", give the text back (a final ";" ends the last item).
    std::string joined;
    int cursor = 1;
    for (bool first = true; cursor <= static_cast<int>(text.size()); first = false) {
        const int before = cursor;
        const std::string item = NextToken(text, cursor);
        require(cursor > before, "NextToken moves on inside the text");
        joined += (first ? "" : ";") + item;
    }
    if (!text.empty() && text.back() == ';')
        joined += ';';
    require(joined == text, "the items of NextToken make up the text");
    const int end = cursor;
    require(NextToken(text, cursor).empty() && cursor == end, "NextToken stays at the end");

    TextToInt(text);
    const double value = TextToFloat(text);
    require(std::isfinite(value), "TextToFloat gives a finite number");
    const std::string shown = FloatToText(value, width, decimals);
    require(shown.size() <= 30, "FloatToText gives at most 30 characters");
    require(TextToFloat(FloatToText(TextToInt(text), 0, 0)) == TextToInt(text),
            "a whole number survives FloatToText and TextToFloat");
    return 0;
}
