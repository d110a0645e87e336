// Times start-up under one X server of its own: from the exec of the real program, copied
// into a fresh program directory, to its window being mapped, beside an empty Qt Widgets
// window of the same size started the same way; the two alternate, 11 runs each. It also
// prints each one's resident memory once idle after mapping (VmRSS).
// Goal: the program's median at most 1.5 x the empty window's.
//
// Usage: bench_startup <tessellon> <emptywindow>

#include "benchstats.h"

#include <QFile>
#include <QTemporaryDir>

// after Qt's headers: Xlib defines macros (Status, Bool) that Qt's own names clash with
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 11;
constexpr int kIdleMillis = 500; // past the first paint, the grid timer and a cursor blink
constexpr int kMapTimeoutMillis = 20000;

struct Sample
{
    double mapMillis = -1;
    double rssMB = -1;
};

pid_t spawn(const std::vector<QByteArray>& args, const std::vector<QByteArray>& env)
{
    std::vector<char*> argv, envp;
    for (const QByteArray& a : args)
        argv.push_back(const_cast<char*>(a.constData()));
    for (const QByteArray& e : env)
        envp.push_back(const_cast<char*>(e.constData()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    return rc == 0 ? pid : -1;
}

// Starts Xvfb on a display it picks itself; returns the display name, empty on failure.
QByteArray startXvfb(pid_t& server)
{
    int fds[2];
    if (pipe(fds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]); // before the dup2: it may be fd 3
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"Xvfb",     "-displayfd", "3", "-nolisten",    "tcp",
                          "-noreset", "-screen",    "0", "1280x1024x24", nullptr};
    const int rc =
        posix_spawnp(&server, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    QByteArray name;
    char c;
    // the server writes its number once it accepts connections
    while (rc == 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        name += c;
    close(fds[0]);
    return name.isEmpty() ? QByteArray() : ":" + name;
}

std::optional<long> windowPid(Display* dpy, Window w)
{
    static const Atom pidAtom = XInternAtom(dpy, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::optional<long> pid;
    if (XGetWindowProperty(dpy, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data && count == 1 && format == 32)
        pid = *reinterpret_cast<long*>(data);
    if (data) XFree(data);
    return pid;
}

// Waits for a top-level window of process `pid` to be mapped; its time, or nothing.
std::optional<Clock::time_point> waitForMap(Display* dpy, pid_t pid)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(kMapTimeoutMillis);
    while (Clock::now() < deadline) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type != MapNotify) continue;
            const auto at = Clock::now();
            if (windowPid(dpy, e.xmap.window) == pid) return at;
        }
        pollfd p{ConnectionNumber(dpy), POLLIN, 0};
        poll(&p, 1, 1);
    }
    return std::nullopt;
}

double rssMB(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024.0;
    return -1;
}

Sample runOnce(Display* dpy, const QByteArray& program, const std::vector<QByteArray>& env)
{
    Sample s;
    const auto start = Clock::now();
    const pid_t pid = spawn({program}, env);
    if (pid < 0) return s;
    if (const auto mapped = waitForMap(dpy, pid)) {
        s.mapMillis = std::chrono::duration<double, std::milli>(*mapped - start).count();
        usleep(kIdleMillis * 1000);
        s.rssMB = rssMB(pid);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return s;
}

void report(const char* name, const std::vector<Sample>& samples)
{
    std::vector<double> map, rss;
    for (const Sample& s : samples) {
        map.push_back(s.mapMillis);
        rss.push_back(s.rssMB);
    }
    std::printf("%-14s exec to mapped %7.1f ms   idle VmRSS %6.1f MB   (medians of %d)\n", name,
                median(map), median(rss), int(samples.size()));
}

// This process's environment for the programs started on `display`.
std::vector<QByteArray> clientEnvironment(const QByteArray& display)
{
    std::vector<QByteArray> env;
    for (char** e = environ; *e; ++e)
        if (qstrncmp(*e, "DISPLAY=", 8) != 0 && qstrncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
            env.push_back(*e);
    env.push_back("DISPLAY=" + display);
    env.push_back("QT_QPA_PLATFORM=xcb");
    return env;
}

// kRuns starts of each program, alternating which goes first; false when a window never
// appeared.
bool alternate(Display* dpy, const QByteArray (&programs)[2], const QString& ini,
               const std::vector<QByteArray>& env, std::vector<Sample> (&samples)[2])
{
    runOnce(dpy, programs[0], env); // both binaries and the fonts into the page cache
    runOnce(dpy, programs[1], env);
    bool failed = false;
    for (int r = 0; r < kRuns; ++r)
        for (int k = 0; k < 2; ++k) {
            const int i = (k + r) % 2;
            QFile::remove(ini); // every start finds a fresh program directory
            const Sample s = runOnce(dpy, programs[i], env);
            failed |= s.mapMillis < 0;
            samples[i].push_back(s);
        }
    return !failed;
}

double medianMap(const std::vector<Sample>& samples)
{
    std::vector<double> map;
    for (const Sample& s : samples)
        map.push_back(s.mapMillis);
    return median(map);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <tessellon> <emptywindow>\n", argv[0]);
        return 2;
    }
    QTemporaryDir programDir;
    const QString copy = programDir.filePath(QStringLiteral("tessellon"));
    if (!programDir.isValid() || !QFile::copy(QString::fromLocal8Bit(argv[1]), copy)) {
        std::fprintf(stderr, "cannot copy %s into a program directory\n", argv[1]);
        return 1;
    }
    pid_t server = -1;
    const QByteArray display = startXvfb(server);
    Display* dpy = display.isEmpty() ? nullptr : XOpenDisplay(display.constData());
    if (!dpy) {
        std::fprintf(stderr, "no X server\n");
        if (server > 0) kill(server, SIGTERM);
        return 1;
    }
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    const QByteArray programs[2] = {QFile::encodeName(copy), QByteArray(argv[2])};
    std::vector<Sample> samples[2];
    const bool ok = alternate(dpy, programs, programDir.filePath(QStringLiteral("Tessellon.ini")),
                              clientEnvironment(display), samples);
    XCloseDisplay(dpy);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    if (!ok) {
        std::fprintf(stderr, "a window never appeared\n");
        return 1;
    }
    report("tessellon", samples[0]);
    report("empty window", samples[1]);
    std::printf("ratio %.2f x the empty window (goal at most 1.5)\n",
                medianMap(samples[0]) / medianMap(samples[1]));
    return 0;
}
