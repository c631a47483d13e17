#include "app/ArchiveAccess.h"

#include "platform/BackgroundWorker.h"

#include <optional>

namespace ovena {

namespace {

class FileAccess : public ArchiveAccess {
public:
    explicit FileAccess(std::function<archive::Archive()> open) : open_(std::move(open)) {}

    void run(Query query, Failed failed) override {
        Completion done;
        try {
            if (!archive_)
                archive_.emplace(open_());
            done = query(*archive_);
        } catch (const archive::ArchiveError& e) {
            failed(e.what());
            return;
        }
        done();
    }
    bool deferred() const override { return false; }

private:
    std::function<archive::Archive()> open_;
    std::optional<archive::Archive> archive_;
};

class ServerAccess : public ArchiveAccess {
public:
    ServerAccess(UiServices& ui, std::string conninfo, archive::ServerWaits waits)
        : conninfo_(std::move(conninfo)), waits_(waits), worker_(ui) {}

    void run(Query query, Failed failed) override {
        worker_.post([this, query = std::move(query),
                      failed = std::move(failed)](const CancelSignal& cancel) -> Completion {
            // Only this thread touches the connection.
            try {
                if (!server_) {
                    archive::ServerWaits waits = waits_;
                    waits.cancelFd = cancel.fd();
                    server_.emplace(archive::Archive::openServer(conninfo_, waits));
                }
                return query(*server_);
            } catch (const archive::ArchiveError& e) {
                server_.reset();
                return [failed, reason = std::string(e.what())] { failed(reason); };
            }
        });
    }
    bool deferred() const override { return true; }

private:
    const std::string conninfo_;
    const archive::ServerWaits waits_;
    std::optional<archive::Archive> server_;
    // Last: its thread ends before the connection goes.
    BackgroundWorker worker_;
};

} // namespace

std::unique_ptr<ArchiveAccess> fileAccess(std::function<archive::Archive()> open) {
    return std::make_unique<FileAccess>(std::move(open));
}

std::unique_ptr<ArchiveAccess> serverAccess(UiServices& ui, std::string conninfo,
                                            archive::ServerWaits waits) {
    return std::make_unique<ServerAccess>(ui, std::move(conninfo), waits);
}

} // namespace ovena
