#include "availablememory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tessellon;

namespace {

constexpr qint64 kMiB = qint64(1) << 20;

const QString kV2Mount =
    QStringLiteral("30 1 0:26 / /sys/fs/cgroup rw,nosuid shared:4 - cgroup2 cgroup2 rw\n");
const QString kV1Mount =
    QStringLiteral("40 30 0:35 / /sys/fs/cgroup/memory rw,relatime - cgroup cgroup rw,memory\n");

QString mib(qint64 n)
{
    return QString::number(n * kMiB);
}

} // namespace

/// The memory figure read from made-up /proc and /sys trees: the least of every limit up
/// the hierarchy, MemAvailable and the budget, less the margin of 64 MiB.
class TestAvailableMemory : public QObject
{
    Q_OBJECT
private slots:
    void figures_data();
    void figures();
};

void TestAvailableMemory::figures_data()
{
    QTest::addColumn<QStringList>("files"); // path, then its content, pair after pair
    QTest::addColumn<qint64>("expectedMiB");
    const QString v2Leaf = QStringLiteral("sys/fs/cgroup/user/app/");
    const QString own2 = QStringLiteral("proc/self/cgroup");
    const QString meminfo = QStringLiteral("proc/meminfo");
    // one file and its content to a pair of entries
    // clang-format off
    QTest::newRow("v2 limit at the leaf, inactive cache aside")
        << QStringList{QStringLiteral("proc/self/mountinfo"), kV2Mount, own2, "0::/user/app\n",
                       v2Leaf + "memory.max", mib(800), v2Leaf + "memory.current", mib(100),
                       v2Leaf + "memory.stat", "anon 5\ninactive_file " + mib(20) + "\n",
                       meminfo, "MemTotal: 1 kB\nMemAvailable: 8388608 kB\n"}
        << qint64(656);
    QTest::newRow("v2 limit above the leaf")
        << QStringList{QStringLiteral("proc/self/mountinfo"), kV2Mount, own2, "0::/user/app\n",
                       v2Leaf + "memory.max", "max\n", v2Leaf + "memory.current", mib(100),
                       "sys/fs/cgroup/user/memory.max", mib(500),
                       "sys/fs/cgroup/user/memory.current", mib(200)}
        << qint64(236);
    QTest::newRow("v1 nested, no limit at the top")
        << QStringList{QStringLiteral("proc/self/mountinfo"), kV2Mount + kV1Mount, own2,
                       "5:cpu:/\n4:memory:/a/b\n0::/\n",
                       "sys/fs/cgroup/memory/a/b/memory.limit_in_bytes", mib(700),
                       "sys/fs/cgroup/memory/a/b/memory.usage_in_bytes", mib(200),
                       "sys/fs/cgroup/memory/a/memory.limit_in_bytes", "9223372036854771712",
                       "sys/fs/cgroup/memory/a/memory.usage_in_bytes", mib(300)}
        << qint64(436);
    QTest::newRow("v1 in a container that mounts only its own group")
        << QStringList{QStringLiteral("proc/self/mountinfo"),
                       "41 30 0:35 /docker/x /sys/fs/cgroup/memory rw - cgroup cgroup rw,memory\n",
                       own2, "4:memory:/docker/x\n",
                       "sys/fs/cgroup/memory/memory.limit_in_bytes", mib(2048),
                       "sys/fs/cgroup/memory/memory.usage_in_bytes", mib(1500)}
        << qint64(484);
    QTest::newRow("v2 mounted where the path has a space")
        << QStringList{QStringLiteral("proc/self/mountinfo"),
                       "30 1 0:26 / /sys/fs/c\\040g rw - cgroup2 cgroup2 rw\n", own2,
                       "0::/app\n", "sys/fs/c g/app/memory.max", mib(800),
                       "sys/fs/c g/app/memory.current", mib(100)}
        << qint64(636);
    QTest::newRow("MemAvailable below the limit")
        << QStringList{QStringLiteral("proc/self/mountinfo"), kV2Mount, own2, "0::/user/app\n",
                       v2Leaf + "memory.max", mib(800), v2Leaf + "memory.current", mib(100),
                       meminfo, "MemAvailable:     204800 kB\n"}
        << qint64(136);
    QTest::newRow("used past the limit")
        << QStringList{QStringLiteral("proc/self/mountinfo"), kV2Mount, own2, "0::/user/app\n",
                       v2Leaf + "memory.max", mib(100), v2Leaf + "memory.current", mib(150)}
        << qint64(0);
    QTest::newRow("nothing to read: the budget") << QStringList{} << qint64(1024);
    // clang-format on
}

void TestAvailableMemory::figures()
{
    QFETCH(QStringList, files);
    QFETCH(qint64, expectedMiB);
    QTemporaryDir root;
    for (qsizetype i = 0; i + 1 < files.size(); i += 2) {
        const QString path = root.filePath(files[i]);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(files[i + 1].toUtf8());
    }
    QCOMPARE(readAvailableMemory(root.path()), expectedMiB * kMiB);
}

QTEST_APPLESS_MAIN(TestAvailableMemory)
#include "tst_availablememory.moc"
