// The settings store's reader fed any file: it never fails, and what it keeps survives a save
// and a second read unchanged.

#include "FuzzSupport.h"

#include "platform/SettingsStore.h"

#include <string>

using namespace ovena;
using ovena::test::readFile;
using ovena::test::sandboxFolder;
using ovena::test::writeFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string first = sandboxFolder() + "/first.reg";
    const std::string second = sandboxFolder() + "/second.reg";
    writeFile(first, std::string(reinterpret_cast<const char*>(data), size));

    // Read any file and save what was kept over it.
    SettingsStore store(first);
    std::string warning;
    store.load(&warning);
    require(store.save(), "the store saves");

    // The saved file reads back without a warning and saves to the same bytes.
    writeFile(second, readFile(first));
    SettingsStore again(second);
    std::string secondWarning;
    again.load(&secondWarning);
    require(secondWarning.empty(), "a saved store reads back without warnings");
    require(again.save(), "the store saves again");
    require(readFile(first) == readFile(second), "a saved store reads back unchanged");
    return 0;
}
