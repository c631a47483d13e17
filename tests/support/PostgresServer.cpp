#include "PostgresServer.h"

#include "TestEnvironment.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
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

int waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts a program as `id` with its output in `log` and no other descriptor of this process.
// With `detached` it runs in a session of its own and is no child of this process (nothing
// here waits for it, and it outlives this process); answers 0 then, once it is on its way.
pid_t spawnAs(const std::vector<std::string>& args, Identity id, const std::string& log,
              bool detached = false, const std::string& folder = {}) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0) {
        if (detached && pid > 0)
            return waitFor(pid) == 0 ? 0 : -1;
        return pid;
    }
    if (detached && (setsid() < 0 || fork() != 0))
        _exit(0);
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0)
        _exit(126);
    // A pipe of the test runner's held on would keep it waiting for the end of the output.
    if (syscall(SYS_close_range, 3U, ~0U, 0U) != 0)
        for (int fd = 3; fd < 65536; ++fd)
            close(fd);
    if (!folder.empty() && chdir(folder.c_str()) != 0)
        _exit(126);
    if (getuid() != id.uid &&
        (setgroups(0, nullptr) != 0 || setgid(id.gid) != 0 || setuid(id.uid) != 0))
        _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
}

std::string tail(const std::string& path) {
    try {
        const std::string text = readFile(path);
        return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
    } catch (const std::exception&) {
        return {};
    }
}

// The server of the cluster in `data` runs and accepts connections: it writes "ready" into the
// last line of postmaster.pid once it does, its process number in the first.
bool serverReady(const std::string& data) {
    try {
        const std::string pidFile = readFile(data + "/postmaster.pid");
        const pid_t pid = std::atoi(pidFile.c_str());
        return pidFile.find("\nready") != std::string::npos && pid > 0 &&
               (kill(pid, 0) == 0 || errno == EPERM);
    } catch (const std::exception&) {
        return false;
    }
}

// The folder of the cluster shared by the cases of this test program (the same program file)
// run by this user.
std::string sharedFolder(bool durable) {
    std::error_code error;
    const std::string program =
        fs::read_symlink("/proc/self/exe", error).string() + (durable ? " durable" : "");
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const unsigned char c : program)
        hash = (hash ^ c) * 1099511628211ull;
    char name[64];
    std::snprintf(name, sizeof name, "/tmp/ovena-pg-%u-%016llx", static_cast<unsigned>(geteuid()),
                  static_cast<unsigned long long>(hash));
    return name;
}

// A lock file of the shared folder, held in `mode` (LOCK_SH or LOCK_EX) while the descriptor
// stays open; never handed to a program started from here.
int lockFile(const std::string& path, int mode) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path);
    while (flock(fd, mode) != 0)
        if (errno != EINTR) {
            close(fd);
            throw std::runtime_error("cannot lock " + path);
        }
    return fd;
}

// Stops the server once no case holds the users' lock: waits for the users' lock alone, then
// takes the start lock too, unless a case is just joining; a case that joins later starts a
// new server. Runs in the shared folder.
constexpr const char* WatcherScript = R"(exec 8<users 9<lock
until flock -x 8 && flock -xn 9; do flock -u 8; sleep 0.05; done
pid=$(head -n 1 cluster/data/postmaster.pid 2>/dev/null)
[ -n "$pid" ] && kill -INT "$pid" 2>/dev/null
i=0
while [ -e cluster/data/postmaster.pid ] && [ $i -lt 600 ]; do sleep 0.05; i=$((i + 1)); done
[ -n "$OVENA_KEEP_SANDBOX" ] || rm -rf cluster
)";

} // namespace

PostgresServer::PostgresServer(bool durable) {
    try {
        join(durable);
    } catch (const std::exception& e) {
        failure_ = e.what();
        database_.clear();
    }
}

void PostgresServer::join(bool durable) {
    bin_ = serverPrograms();
    if (bin_.empty())
        throw std::runtime_error("no PostgreSQL server programs in /usr/lib/postgresql/*/bin");
    const std::string folder = sharedFolder(durable);
    struct stat status {};
    if ((mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) ||
        lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != geteuid())
        throw std::runtime_error("cannot make the folder " + folder + " of my own");
    // The start lock while this case joins, the users' lock for as long as it uses the server.
    struct Held {
        int fd;
        ~Held() { close(fd); }
    } starting{lockFile(folder + "/lock", LOCK_EX)};
    users_ = lockFile(folder + "/users", LOCK_SH);
    // Not inside the test's sandbox: an unprivileged server could not reach it there.
    socketFolder_ = folder + "/cluster";
    if (!serverReady(socketFolder_ + "/data"))
        startServer(durable);

    static int cases = 0;
    const std::string name = "case_" + std::to_string(getpid()) + "_" + std::to_string(++cases);
    // One of a crashed process of the same number may be left.
    sql("DROP DATABASE IF EXISTS " + name, "postgres");
    sql("CREATE DATABASE " + name, "postgres");
    database_ = name;
}

void PostgresServer::startServer(bool durable) {
    std::error_code ignored;
    fs::remove_all(socketFolder_, ignored); // the rest of a server that is gone
    const Identity id = serverIdentity();
    if (mkdir(socketFolder_.c_str(), 0755) != 0 ||
        chown(socketFolder_.c_str(), id.uid, id.gid) != 0)
        throw std::runtime_error("cannot give the server's folder to its user");
    const std::string data = socketFolder_ + "/data";
    const std::string log = socketFolder_ + "/server.log";
    const int initdb = waitFor(spawnAs({bin_ + "/initdb", "-D", data, "-U", Superuser, "-A",
                                        "trust", "-E", "UTF8", "--locale=C", "--no-sync"},
                                       id, log));
    if (initdb != 0)
        throw std::runtime_error("initdb failed: " + tail(log));
    std::vector<std::string> args{
        bin_ + "/postgres",   "-D", data, "-k", socketFolder_, "-c", "listen_addresses=", "-c",
        "max_connections=100"};
    if (!durable)
        for (const char* option : {"fsync=off", "synchronous_commit=off", "full_page_writes=off"})
            args.insert(args.end(), {"-c", option});
    if (spawnAs(args, id, log, true) != 0)
        throw std::runtime_error("cannot start the server");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!serverReady(data)) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the server did not start: " + tail(log));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::string folder = fs::path(socketFolder_).parent_path().string();
    if (spawnAs({"/bin/sh", "-c", WatcherScript}, Identity{}, folder + "/watcher.log", true,
                folder) != 0)
        throw std::runtime_error("cannot start the watcher of the server");
}

PostgresServer::~PostgresServer() {
    if (!database_.empty()) {
        try {
            sql("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)", "postgres");
        } catch (const std::exception&) {
            // The server goes with its last user all the same.
        }
    }
    if (users_ >= 0)
        close(users_);
}

std::string PostgresServer::conninfo(const std::string& database, const std::string& user) const {
    return "host=" + socketFolder_ + " dbname=" + (database.empty() ? database_ : database) +
           " user=" + user;
}

std::string PostgresServer::sql(const std::string& statements, const std::string& database) const {
    const std::string out = sandboxFolder() + "/psql.out";
    fs::remove(out);
    const pid_t pid = spawnAs({bin_ + "/psql", "-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1",
                               "-h", socketFolder_, "-U", Superuser, "-d",
                               database.empty() ? database_ : database, "-c", statements},
                              Identity{}, out);
    const int status = waitFor(pid);
    const std::string output = readFile(out);
    if (status != 0)
        throw std::runtime_error("psql failed: " + output);
    return output;
}

} // namespace ovena::test
