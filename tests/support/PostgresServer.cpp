#include "PostgresServer.h"

#include "TestEnvironment.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

namespace ovena::test {

namespace fs = std::filesystem;

namespace {

// The newest server programs of Debian's layout (/usr/lib/postgresql/<version>/bin), or those
// named by OVENA_PG_BIN.
std::string serverPrograms() {
    if (const char* bin = std::getenv("OVENA_PG_BIN"))
        return bin;
    std::string best;
    int bestVersion = -1;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", error)) {
        const std::string bin = entry.path().string() + "/bin";
        const int version = std::atoi(entry.path().filename().c_str());
        if (version > bestVersion && fs::exists(bin + "/initdb") && fs::exists(bin + "/postgres")) {
            best = bin;
            bestVersion = version;
        }
    }
    return best;
}

struct Identity {
    uid_t uid = getuid();
    gid_t gid = getgid();
};

// The user the server runs as: this one, or an unprivileged one when this is root.
Identity serverIdentity() {
    Identity id;
    if (geteuid() != 0)
        return id;
    for (const char* name : {"postgres", "nobody"}) {
        if (const passwd* pw = getpwnam(name)) {
            id.uid = pw->pw_uid;
            id.gid = pw->pw_gid;
            return id;
        }
    }
    return id;
}

// Starts a program as `id` with its output in `log`. With `dieWithParent` it gets SIGQUIT (an
// immediate shutdown for the server) when this process ends.
pid_t spawnAs(const std::vector<std::string>& args, Identity id, const std::string& log,
              bool dieWithParent) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0)
        _exit(126);
    if (getuid() != id.uid &&
        (setgroups(0, nullptr) != 0 || setgid(id.gid) != 0 || setuid(id.uid) != 0))
        _exit(126);
    // Set after the identity changed, which would clear it.
    if (dieWithParent && (prctl(PR_SET_PDEATHSIG, SIGQUIT) != 0 || getppid() != parent))
        _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
}

int waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string tail(const std::string& path) {
    try {
        const std::string text = readFile(path);
        return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
    } catch (const std::exception&) {
        return {};
    }
}

// The server writes "ready" into the last line of postmaster.pid once it accepts connections.
bool serverReady(const std::string& data) {
    try {
        return readFile(data + "/postmaster.pid").find("\nready") != std::string::npos;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

PostgresServer::PostgresServer(bool durable) {
    try {
        start(durable);
    } catch (const std::exception& e) {
        failure_ = e.what();
        if (pid_ > 0 && kill(pid_, SIGQUIT) == 0)
            waitFor(pid_);
        pid_ = -1;
    }
}

void PostgresServer::start(bool durable) {
    bin_ = serverPrograms();
    if (bin_.empty()) {
        failure_ = "no PostgreSQL server programs in /usr/lib/postgresql/*/bin";
        return;
    }
    // Not inside the test's sandbox: an unprivileged server could not reach it there.
    std::string pattern = "/tmp/ovena-pg-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        failure_ = "cannot create a folder for the server";
        return;
    }
    folder_ = pattern;
    const Identity id = serverIdentity();
    if (chown(folder_.c_str(), id.uid, id.gid) != 0) {
        failure_ = "cannot give the server's folder to its user";
        return;
    }
    const std::string data = folder_ + "/data";
    const std::string log = folder_ + "/server.log";
    const int initdb = waitFor(spawnAs({bin_ + "/initdb", "-D", data, "-U", Superuser, "-A",
                                        "trust", "-E", "UTF8", "--locale=C", "--no-sync"},
                                       id, log, false));
    if (initdb != 0) {
        failure_ = "initdb failed: " + tail(log);
        return;
    }
    std::vector<std::string> args{
        bin_ + "/postgres",  "-D", data, "-k", folder_, "-c", "listen_addresses=", "-c",
        "max_connections=40"};
    if (!durable)
        for (const char* option : {"fsync=off", "synchronous_commit=off", "full_page_writes=off"})
            args.insert(args.end(), {"-c", option});
    pid_ = spawnAs(args, id, log, true);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!serverReady(data)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_ ||
            std::chrono::steady_clock::now() > deadline) {
            failure_ = "the server did not start: " + tail(log);
            if (kill(pid_, SIGQUIT) == 0)
                waitFor(pid_);
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    sql("CREATE DATABASE " + std::string(Database), "postgres");
}

PostgresServer::~PostgresServer() {
    if (pid_ > 0 && kill(pid_, SIGQUIT) == 0)
        waitFor(pid_);
    if (!folder_.empty() && !std::getenv("OVENA_KEEP_SANDBOX")) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

std::string PostgresServer::conninfo(const std::string& database, const std::string& user) const {
    return "host=" + folder_ + " dbname=" + database + " user=" + user;
}

std::string PostgresServer::sql(const std::string& statements, const std::string& database) const {
    const std::string out = sandboxFolder() + "/psql.out";
    fs::remove(out);
    const pid_t pid = spawnAs({bin_ + "/psql", "-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1",
                               "-h", folder_, "-U", Superuser, "-d", database, "-c", statements},
                              Identity{}, out, false);
    const int status = waitFor(pid);
    const std::string output = readFile(out);
    if (status != 0)
        throw std::runtime_error("psql failed: " + output);
    return output;
}

} // namespace ovena::test
