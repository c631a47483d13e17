#pragma once

// For the programs that link the instrument procedures.

#include "procedures/ProgressDialog.h"

namespace ovena::test {

// A progress dialog nobody sees and nobody cancels.
class SilentProgress : public ProgressDialog {
public:
    void StartProgress(const std::string&, bool) override {}
    void ShowStatus(const std::string&) override {}
    void SetProgress(int) override {}
    void SetProgressMax(int) override {}
    bool Cancelled() const override { return false; }
    void Close() override {}
};

} // namespace ovena::test
