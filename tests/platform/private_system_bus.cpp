#include "platform/private_system_bus.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace testing_support {
namespace {

pid_t Spawn(const std::vector<std::string>& arguments, int stdoutFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int result = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0)
        throw std::runtime_error("cannot start " + arguments[0]);
    return pid;
}

void Stop(pid_t pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

}  // namespace

PrivateSystemBus::PrivateSystemBus() {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        throw std::runtime_error("pipe");
    daemon_ = Spawn({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, pipeFds[1]);
    ::close(pipeFds[1]);
    char buffer[512];
    std::string line;
    for (ssize_t got; line.find('\n') == std::string::npos &&
                      (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        line.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    address_ = line.substr(0, line.find('\n'));
    if (address_.empty())
        throw std::runtime_error("dbus-daemon printed no address");
    if (const char* previous = std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) {
        hadPreviousAddress_ = true;
        previousAddress_ = previous;
    }
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
}

PrivateSystemBus::~PrivateSystemBus() {
    Stop(logind_);
    Stop(daemon_);
    if (hadPreviousAddress_)
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", previousAddress_.c_str(), 1);
    else
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

bool PrivateSystemBus::StartLogind() {
    // Debian's python3-dbusmock lives in the system interpreter, hence the full
    // path: another python3 may come first on the PATH.
    logind_ = Spawn({"/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "logind"}, -1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        try {
            ListInhibitors();
            return true;
        } catch (const std::runtime_error&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    return false;
}

std::vector<PrivateSystemBus::Inhibitor> PrivateSystemBus::ListInhibitors() const {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0)
        throw std::runtime_error("no bus");
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const int called =
        sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                           "org.freedesktop.login1.Manager", "ListInhibitors", &error, &reply, "");
    sd_bus_error_free(&error);
    std::vector<Inhibitor> inhibitors;
    if (called >= 0 && sd_bus_message_enter_container(reply, 'a', "(ssssuu)") >= 0) {
        const char *what, *who, *why, *mode;
        std::uint32_t uid, pid;
        while (sd_bus_message_read(reply, "(ssssuu)", &what, &who, &why, &mode, &uid, &pid) > 0)
            inhibitors.emplace_back(what, who, why, mode);
    }
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    if (called < 0)
        throw std::runtime_error("logind does not answer");
    return inhibitors;
}

bool PrivateSystemBus::EventuallyNoInhibitors() const {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (ListInhibitors().empty())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace testing_support
