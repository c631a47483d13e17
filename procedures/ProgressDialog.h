#pragma once

#include <string>

namespace ovena {

// The progress dialog as the readout uses it: a title, a status text or a bar, and a cancel
// button whose press the readout polls.
class ProgressDialog {
public:
    virtual ~ProgressDialog() = default;
    virtual void StartProgress(const std::string& title, bool cancellable) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void SetProgress(int position) = 0;
    virtual void SetProgressMax(int maximum) = 0;
    virtual bool Cancelled() const = 0;
    virtual void Close() = 0;
};

} // namespace ovena
