#include "WriterRegistry.h"

#include "BIFFExport.h"
#include "DIFExport.h"
#include "HTMLExport.h"
#include "RTFExport.h"
#include "SYLKExport.h"
#include "TextWriters.h"
#include "XLSXExport.h"

namespace ovena {

void WriterRegistry::add(std::string_view writerClass, WriterFactory factory) {
    factories_.insert_or_assign(std::string(writerClass), std::move(factory));
}

const WriterFactory* WriterRegistry::find(std::string_view writerClass) const {
    auto it = factories_.find(writerClass);
    return it == factories_.end() ? nullptr : &it->second;
}

const WriterRegistry& builtInWriters() {
    static const WriterRegistry registry = [] {
        WriterRegistry r;
        // One line per writer module.
        registerTextWriters(r);
        registerBIFFExport(r);
        registerDIFExport(r);
        registerSYLKExport(r);
        registerHTMLExport(r);
        registerRichTextExport(r);
        registerXLSXExport(r);
        return r;
    }();
    return registry;
}

} // namespace ovena
