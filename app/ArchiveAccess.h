#pragma once

#include "archive/Archive.h"
#include "archive/PostgresDatabase.h"

#include <functional>
#include <memory>
#include <string>

namespace ovena {

class UiServices;

// Where the archive window's queries run. A query runs with the archive and answers what to do
// with what it found on the window's thread; a failure (ArchiveError) reaches `failed` there
// instead. A query sees only what it captured by value: it may run on another thread.
class ArchiveAccess {
public:
    using Completion = std::function<void()>;
    using Query = std::function<Completion(archive::Archive&)>;
    using Failed = std::function<void(const std::string& reason)>;

    virtual ~ArchiveAccess() = default;
    virtual void run(Query query, Failed failed) = 0;
    // Whether the answers come later, as the window's events are serviced.
    virtual bool deferred() const = 0;
};

// The workstation's file, opened on first use: every query runs at once, on the window's thread,
// since SQLite answers in moments.
std::unique_ptr<ArchiveAccess> fileAccess(std::function<archive::Archive()> open);

// The company server: the queries run one after another on a thread of their own over one
// connection (made again after a failure), each with the deadlines of `waits`. Destroying the
// access cancels what is running and waits only for that.
std::unique_ptr<ArchiveAccess> serverAccess(UiServices& ui, std::string conninfo,
                                            archive::ServerWaits waits);

} // namespace ovena
