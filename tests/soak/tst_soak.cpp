// A long randomized run of user actions on the real window, checking after each one the
// invariants no sequence of actions may break. The seed is printed; TESSELLON_SOAK_SEED
// repeats a run, TESSELLON_SOAK_SECONDS bounds it (default 20), TESSELLON_SOAK_ACTIONS caps
// the number of actions and TESSELLON_SOAK_TRACE prints every action as it runs.
#include "soakchecks.h"
#include "soakdriver.h"
#include "windowfixture.h"

#include <QElapsedTimer>

#include <cstdio>
#include <random>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

using namespace tessellon;
using namespace tessellon::soak;

namespace {

constexpr int kDefaultSeconds = 20;
constexpr int kEventsEvery = 32; // let paints and timers run now and then

const SoakDriver* g_driver = nullptr;
quint64 g_seed = 0;
qint64 g_actions = 0;

quint64 envNumber(const char* name, quint64 fallback)
{
    bool ok = false;
    const quint64 v = qEnvironmentVariable(name).trimmed().toULongLong(&ok);
    return ok ? v : fallback;
}

// Plain stdio: this also runs from a sanitizer's death callback.
void printHistory()
{
    if (!g_driver) return;
    std::fprintf(stderr, "soak: seed %llu, failed at action %lld; the latest actions:\n",
                 static_cast<unsigned long long>(g_seed), static_cast<long long>(g_actions));
    for (const QString& line : g_driver->history())
        std::fprintf(stderr, "soak:   %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT
private slots:
    void randomActions();
};

void TestSoak::randomActions()
{
    g_seed = envNumber("TESSELLON_SOAK_SEED", std::random_device{}());
    const quint64 seconds = envNumber("TESSELLON_SOAK_SECONDS", kDefaultSeconds);
    const quint64 cap = envNumber("TESSELLON_SOAK_ACTIONS", 0);
    qInfo("seed %llu (TESSELLON_SOAK_SEED repeats it), %llu s",
          static_cast<unsigned long long>(g_seed), static_cast<unsigned long long>(seconds));
    WindowFixture f;
    QVERIFY(f.show());
    SoakDriver driver(f, g_seed);
    SavedMapWatch maps(f.dir.path(), driver.inputFiles());
    g_driver = &driver;
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(&printHistory);
#endif
    QElapsedTimer clock;
    clock.start();
    for (g_actions = 1; clock.elapsed() < qint64(seconds) * 1000; ++g_actions) {
        if (cap != 0 && quint64(g_actions) > cap) break;
        driver.step();
        QString bad = checkWindow(f.window);
        if (bad.isEmpty()) bad = maps.check();
        if (bad.isEmpty() && f.dialogs->unanswered != 0)
            bad = QStringLiteral("a box was asked that the action did not expect");
        if (!bad.isEmpty()) {
            printHistory();
            QFAIL(qPrintable(bad));
        }
        if (g_actions % kEventsEvery == 0) QCoreApplication::processEvents();
    }
    g_driver = nullptr;
    qInfo("%lld actions, %d saved maps read back", static_cast<long long>(g_actions - 1),
          maps.verified());
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
