#include "mstart.h"

#include "app/ProgramFile.h"

namespace ovena {

SingleInstanceGuard::SingleInstanceGuard(const std::string& programFile)
    : programName_(fileNameOf(programFile)), lock_(programName_) {}

bool SingleInstanceGuard::Admit(UiServices& ui) const {
    if (!lock_.alreadyRunning())
        return true;
    ui.messageBox(programName_, AlreadyRunningText, MessageIcon::None, {{ModalResult::Ok, "OK"}});
    return false;
}

} // namespace ovena
