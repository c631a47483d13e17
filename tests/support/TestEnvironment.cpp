#include "TestEnvironment.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace ovena::test {

namespace fs = std::filesystem;

namespace {

struct Sandbox {
    std::string root;
    pid_t owner = getpid();

    Sandbox() {
        std::string pattern = (fs::temp_directory_path() / "ovena-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create the test sandbox");
        root = pattern;
        for (const char* sub : {"home", "config", "data", "cache", "runtime", "tmp"})
            fs::create_directories(root + "/" + sub);
        fs::permissions(root + "/runtime", fs::perms::owner_all, fs::perm_options::replace);
        setenv("HOME", (root + "/home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
        setenv("XDG_CACHE_HOME", (root + "/cache").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
        setenv("TMPDIR", (root + "/tmp").c_str(), 1);
        // A machine without serial ports, with a lock folder of its own: tests add the ports
        // they need (FakeMachine), and the machine's own ports and locks are never touched.
        for (const char* sub : {"machine/sys", "machine/dev", "machine/run/lock"})
            fs::create_directories(root + "/" + sub);
        setenv("OVENA_SYSFS_ROOT", (root + "/machine/sys").c_str(), 1);
        setenv("OVENA_DEV_ROOT", (root + "/machine/dev").c_str(), 1);
        // No test may reach a real display.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    ~Sandbox() {
        std::error_code ignored;
        // A forked child that ends must not remove its parent's folder.
        if (getpid() == owner && !std::getenv("OVENA_KEEP_SANDBOX"))
            fs::remove_all(root, ignored);
    }
};

} // namespace

const std::string& sandboxFolder() {
    static Sandbox sandbox;
    return sandbox.root;
}

std::string buildFolder() {
    const char* dir = std::getenv("OVENA_BUILD_DIR");
    return dir ? dir : OVENA_TEST_BUILD_DIR;
}

std::string sourceFolder() {
    const char* dir = std::getenv("OVENA_SOURCE_DIR");
    return dir ? dir : OVENA_TEST_SOURCE_DIR;
}

std::string commandOutput(const std::string& command, int& status) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::string output;
    std::array<char, 4096> buffer;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        output.append(buffer.data(), n);
    status = ::pclose(pipe);
    return output;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        result.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return result;
}

} // namespace ovena::test
