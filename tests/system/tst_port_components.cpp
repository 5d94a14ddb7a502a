#include "ports/port_folder.h"
#include "ports/pty_device.h"
#include "ports/pty_port.h"
#include "ports/qt_serial_port.h"
#include "private_runtime.h"
#include "station_program.h"

#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>

#include <grp.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// The two port components on real pseudo-terminals.
class TestPortComponents : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void programHoldsThePort();
    void programLeavingIsToldAfterItsLastText();
    void staleLinkReplacedOtherFileLeftAlone();
    void unsafeFolderRefused_data();
    void unsafeFolderRefused();
    void folderWithoutRuntimeDir();
    void serialModeParsing();
    void serialPortOnPseudoTerminal();
    void deviceGoneOnlyWhenItPollsHungUp();

private:
    std::unique_ptr<QTemporaryDir> m_runtime;
    QString m_devpts; // how the pseudo-terminals of this run are made
};

static QByteArray allBytes()
{
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes;
}

// As root, a devpts of our own mounted as a Debian desktop does (new terminals writable by tty).
// Its terminals are numbered from 0, as the system's are: QSerialPort's lock files of them
// (LCK..pts_N) go to a lock folder of our own too, or they would meet other programs' locks.
QString desktopDevpts()
{
    const group *tty = ::getgrnam("tty");
    const QByteArray options =
        "newinstance,ptmxmode=0666,mode=0620,gid=" + QByteArray::number(tty ? tty->gr_gid : 5);
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("devpts", "/dev/pts", "devpts", 0, options.constData()) != 0 ||
        ::mount("tmpfs", "/run/lock", "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777") != 0)
        return QStringLiteral("the system's devpts (no mount namespace of our own: %1)")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    return QStringLiteral("a devpts mounted with ") + QString::fromLatin1(options);
}

void TestPortComponents::initTestCase()
{
    m_devpts = desktopDevpts();
    qInfo("pseudo-terminals made on %s", qPrintable(m_devpts));
}

void TestPortComponents::init()
{
    m_runtime = std::make_unique<QTemporaryDir>();
    usePrivateRuntimeDir(*m_runtime);
}

void TestPortComponents::programHoldsThePort()
{
    PortFolder folder;
    PtyPort port(folder);
    QVERIFY(!port.AttachPort(QStringLiteral("COM11")));
    QVERIFY2(port.CreatePort(QStringLiteral("COM11")), qPrintable(port.ErrorString()));
    QVERIFY(port.AttachPort(QStringLiteral("COM11")) && !port.AttachPort(QStringLiteral("COM12")));
    const QString link = port.DevicePath();
    QCOMPARE(link, m_runtime->path() + QStringLiteral("/ovx2/COM11"));
    // The device is its owner's only, whatever mode the system's devpts gives new terminals.
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(link).constData(), &st) == 0 && S_ISCHR(st.st_mode));
    QVERIFY2((st.st_mode & 07777) == 0600 && st.st_uid == ::getuid(), qPrintable(m_devpts));
    port.WriteText("FA00014060000;"); // nobody holds the port: dropped
    QSignalSpy held(&port, &VirtualPort::OpenedByAppChanged);
    auto program = std::make_unique<StationProgram>(link);
    QVERIFY(program->isOpen() && port.IsOpenedByApp());
    QTRY_COMPARE(held.size(), 1);
    QCOMPARE(held.at(0).at(0).toBool(), true);
    QVERIFY(!port.DeletePort()); // refused while held, and the port still works
    QVERIFY(port.IsCreated());
    const QByteArray bytes = allBytes() + "\r\n;\n\r" + allBytes();
    QByteArray got;
    connect(&port, &VirtualPort::DataReceived, this, [&] { got += port.ReadText(); });
    program->write(bytes);
    QTRY_COMPARE(got, bytes);
    port.WriteText(bytes);
    QTRY_COMPARE(program->received(), bytes);
    program.reset();
    QVERIFY(!port.IsOpenedByApp());
    QTRY_COMPARE(held.size(), 2);
    QCOMPARE(held.at(1).at(0).toBool(), false);
    QVERIFY(port.DeletePort());
    QVERIFY(!port.IsCreated() && !QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    QVERIFY(port.DeletePort()); // nothing to delete is not a failure
}

void TestPortComponents::programLeavingIsToldAfterItsLastText()
{
    PortFolder folder;
    PtyPort port(folder);
    QVERIFY(port.CreatePort(QStringLiteral("COM11")));
    QStringList events;
    connect(&port, &VirtualPort::DataReceived, this,
            [&] { events << QStringLiteral("text ") + QString::fromLatin1(port.ReadText()); });
    connect(&port, &VirtualPort::OpenedByAppChanged, this,
            [&](bool held) { events << (held ? QStringLiteral("held") : QStringLiteral("left")); });
    const QStringList expected{QStringLiteral("held"), QStringLiteral("text FA0001"),
                               QStringLiteral("left")};

    // Writes half a command and hangs up at once: once seen to open, once before the port
    // could see it open.
    for (bool seenOpen : {true, false}) {
        events.clear();
        {
            StationProgram program(port.DevicePath());
            if (seenOpen)
                QTRY_COMPARE(events, QStringList{QStringLiteral("held")});
            program.write("FA0001");
        }
        QTRY_COMPARE(events.value(2), QStringLiteral("left"));
        QCOMPARE(events, expected);
    }
}

void TestPortComponents::staleLinkReplacedOtherFileLeftAlone()
{
    PortFolder folder;
    QVERIFY(folder.prepare());
    const QString dir = folder.path();
    QVERIFY(QFile::link(QStringLiteral("/dev/pts/987654"), dir + QStringLiteral("/COM12")));
    QFile other(dir + QStringLiteral("/COM13"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("mine");
    other.close();

    PtyPort a(folder), b(folder);
    QVERIFY2(a.CreatePort(QStringLiteral("COM12")), qPrintable(a.ErrorString()));
    QVERIFY(QFileInfo(dir + QStringLiteral("/COM12")).symLinkTarget().startsWith("/dev/pts/"));
    QVERIFY(QFileInfo::exists(dir + QStringLiteral("/COM12")));
    QVERIFY(!b.CreatePort(QStringLiteral("COM13")));
    QVERIFY(b.ErrorString().contains(QStringLiteral("COM13")));
    QVERIFY(other.open(QIODevice::ReadOnly));
    QCOMPARE(other.readAll(), QByteArray("mine"));
    QVERIFY(!b.CreatePort(QStringLiteral("../COM1")));
    // Two ports of this bridge under one name: the second is refused, the first keeps its link.
    const QString first = QFileInfo(dir + QStringLiteral("/COM12")).symLinkTarget();
    QVERIFY(!b.CreatePort(QStringLiteral("COM12")));
    QVERIFY(b.ErrorString().contains(QStringLiteral("another port")));
    QCOMPARE(QFileInfo(dir + QStringLiteral("/COM12")).symLinkTarget(), first);
    QVERIFY(a.DeletePort());
    QVERIFY(b.CreatePort(QStringLiteral("COM12"))); // free again once the first is gone
}

void TestPortComponents::unsafeFolderRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("says");
    QTest::newRow("symlink") << QStringLiteral("symlink") << QStringLiteral("symbolic link");
    QTest::newRow("open to others") << QStringLiteral("mode") << QStringLiteral("open to other");
    QTest::newRow("not a folder") << QStringLiteral("file") << QStringLiteral("not a folder");
    QTest::newRow("someone else's") << QStringLiteral("owner") << QStringLiteral("another user");
}

void TestPortComponents::unsafeFolderRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, says);
    const QString path = m_runtime->path() + QStringLiteral("/ovx2");
    const QByteArray p = QFile::encodeName(path);
    if (kind == QLatin1String("symlink")) {
        QDir().mkdir(m_runtime->path() + QStringLiteral("/elsewhere"));
        QVERIFY(QFile::link(m_runtime->path() + QStringLiteral("/elsewhere"), path));
    } else if (kind == QLatin1String("mode")) {
        QVERIFY(QDir().mkdir(path));
        ::chmod(p.constData(), 0755);
    } else if (kind == QLatin1String("file")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else {
        if (::geteuid() != 0)
            QSKIP("only root can give the folder to another user");
        QVERIFY(QDir().mkdir(path));
        ::chmod(p.constData(), 0700);
        QVERIFY(::chown(p.constData(), 65534, 65534) == 0);
    }
    PortFolder folder;
    PtyPort port(folder);
    QVERIFY(!port.CreatePort(QStringLiteral("COM11")));
    QVERIFY2(port.ErrorString().contains(says), qPrintable(port.ErrorString()));
    QVERIFY(!port.IsCreated());
}

void TestPortComponents::folderWithoutRuntimeDir()
{
    qunsetenv("XDG_RUNTIME_DIR");
    QCOMPARE(PortFolder::defaultPath(), QStringLiteral("/tmp/ovx2-%1").arg(::getuid()));
}

void TestPortComponents::serialModeParsing()
{
    const struct {
        const char *text;
        int baud; // 0: refused
        char parity;
    } rows[] = {{"38400,N,8,1", 38400, 'N'},
                {"4800,e,7,2", 4800, 'E'},
                {"38400,N,8", 0, 0},
                {"38400,X,8,1", 0, 0}};
    for (const auto &r : rows) {
        QtSerialPort::Mode mode;
        QVERIFY2(QtSerialPort::parseMode(QLatin1String(r.text), mode) == (r.baud != 0), r.text);
        QVERIFY2(!r.baud || (mode.baud == r.baud && mode.parity == r.parity), r.text);
    }
}

void TestPortComponents::serialPortOnPseudoTerminal()
{
    PtyDevice rig; // the far end, as the rig simulator holds it
    QVERIFY(rig.open());
    QtSerialPort port;
    port.WriteText("FA;"); // closed: dropped, nothing breaks
    QCOMPARE(port.ReadText(), QByteArray());
    port.SetMode(QStringLiteral("38400,N,8,1"));
    QVERIFY(!port.Open(QStringLiteral("/dev/no-such-port")));
    QVERIFY(!port.ErrorString().isEmpty());
    QVERIFY2(port.Open(rig.slavePath()) && port.IsOpened(), qPrintable(port.ErrorString()));
    port.SetLineA(true); // a pseudo-terminal has no modem lines: ignored, the port stays open
    port.SetLineB(false);
    QVERIFY(port.IsOpened());
    QTRY_VERIFY(rig.peerHolds());

    const QByteArray bytes = allBytes();
    QByteArray atRig, got;
    connect(&rig, &PtyDevice::readyRead, this, [&] { atRig += rig.readAll(); });
    connect(&port, &SerialPort::DataReceived, this, [&] { got += port.ReadText(); });
    port.WriteText(bytes);
    QTRY_COMPARE(atRig, bytes);
    rig.write(bytes);
    QTRY_COMPARE(got, bytes);

    // ClearPort drops what came and was not read, also what Qt has not pulled in yet.
    got.clear();
    rig.write("stale;");
    port.ClearPort();
    rig.write("FA00014060000;");
    QTRY_COMPARE(got, QByteArray("FA00014060000;"));

    QVERIFY(port.Close() && !port.IsOpened());
    auto again = std::make_unique<PtyDevice>();
    QVERIFY(again->open() && port.Open(again->slavePath()));
    QSignalSpy vanished(&port, &SerialPort::Vanished);
    again.reset(); // the device goes away under the open port
    QTRY_COMPARE(vanished.size(), 1);
    QVERIFY(!port.IsOpened());
    port.WriteText("FA;");
}

void TestPortComponents::deviceGoneOnlyWhenItPollsHungUp()
{
    const int resource = QSerialPort::ResourceError, read = QSerialPort::ReadError;
    const struct {
        const char *name;
        int error, pollResult, revents;
        bool gone;
    } rows[] = {
        {"adapter pulled out", resource, 1, POLLHUP | POLLERR, true},
        {"poll fails", read, -1, 0, true},
        // A read that found nothing (EAGAIN) comes as a resource error on a healthy device.
        {"empty read, idle", resource, 0, 0, false},
        {"read error, healthy", read, 0, 0, false},
        {"no modem lines", QSerialPort::UnsupportedOperationError, 1, POLLHUP, false},
    };
    for (const auto &r : rows)
        QVERIFY2(QtSerialPort::deviceGone(r.error, r.pollResult, short(r.revents)) == r.gone,
                 r.name);
}

QTEST_GUILESS_MAIN(TestPortComponents)
#include "tst_port_components.moc"
