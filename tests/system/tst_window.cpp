#include "connected_bridge.h"
#include "controls/frames.h"
#include "controls/version.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "ports/pty_device.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "private_runtime.h"
#include "rig_sim_thread.h"
#include "station_program.h"
#include "test_data.h"
#include "windowed_station.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

// The window at the scale ctest started it with (1x, 1.25x, 2x, fonts at 120 dpi): as a user sees
// it, and as a view of the bridge (what the user does reaches the settings and their files, what
// the settings hold shows in the controls, and the buttons follow the bridge's state).
class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { usePrivateRuntimeDir(m_runtime); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_station.reset(), m_rig.reset(); }
    void captionsWholeAndTabThroughWhatShows_data();
    void captionsWholeAndTabThroughWhatShows();
    void terminalLinesReadWhole();
    void longPathsAndNamesShown();
    void pathBroken_data();
    void pathBroken();
    void loadedSettingsShowInTheControlsAndThePlace();
    void userChangesReachTheSettingsAndTheFiles();
    void buttonsFollowTheBridgeAndCloseAsks();
    void setupAndHelpMenus();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    QByteArray file(const char *name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    WindowedStation &start()
    {
        m_station = std::make_unique<WindowedStation>(path("config.ini"), testClock());
        m_station->window().showAsSaved();
        m_station->bridge().start();
        return *m_station;
    }
    MainWindow &showWindow(bool setupShown)
    {
        MainWindow &window = start().window();
        window.showSetup(setupShown);
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the window was not activated");
        return window;
    }

    QTemporaryDir m_runtime;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WindowedStation> m_station;
    std::unique_ptr<PtyDevice> m_rig;
};

// Where the style draws a control's caption (clipped to the control), and the caption's text.
static std::pair<QString, QRect> captionRoom(const QWidget &widget)
{
    const QStyle *style = widget.style();
    if (const auto *label = qobject_cast<const QLabel *>(&widget)) {
        const int m = label->margin();
        return {label->text(), label->contentsRect().adjusted(m, m, -m, -m)};
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(&widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const auto part = qobject_cast<const QCheckBox *>(button) ? QStyle::SE_CheckBoxContents
                                                                  : QStyle::SE_PushButtonContents;
        return {button->text(), style->subElementRect(part, &option, button) & button->rect()};
    }
    if (const auto *frame = qobject_cast<const QGroupBox *>(&widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.textAlignment = frame->alignment();
        const QRect r =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        // The title must end before the frame's right edge, with the margin it has on the left.
        return {frame->title(),
                QRect(r.left(), r.top(), frame->width() - 2 * r.left(), r.height())};
    }
    if (const auto *box = qobject_cast<const QComboBox *>(&widget); box && !box->isEditable()) {
        // Its longest item ("Icom CI-V", "115200"), where the closed box shows it.
        QString longest;
        for (int i = 0; i < box->count(); ++i) {
            if (QFontMetricsF(box->font()).horizontalAdvance(box->itemText(i)) >
                QFontMetricsF(box->font()).horizontalAdvance(longest))
                longest = box->itemText(i);
        }
        QStyleOptionComboBox option;
        option.initFrom(box);
        return {longest, style->subControlRect(QStyle::CC_ComboBox, &option,
                                               QStyle::SC_ComboBoxEditField, box)};
    }
    return {};
}

void TestWindow::captionsWholeAndTabThroughWhatShows_data()
{
    QTest::addColumn<bool>("setupShown");
    QTest::newRow("setup shown") << true;
    QTest::newRow("setup hidden") << false;
}

void TestWindow::captionsWholeAndTabThroughWhatShows()
{
    QFETCH(bool, setupShown);
    MainWindow &form = showWindow(setupShown);
    // Qt scales by the factor asked, and by the fonts' dpi over 96 (as a desktop's 125% sets it).
    QCOMPARE(form.devicePixelRatioF(),
             qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble() *
                 qEnvironmentVariable("QT_FONT_DPI", QStringLiteral("96")).toDouble() / 96);
    QWidget *area = form.centralWidget();
    int checked = 0;
    for (QWidget *widget : area->findChildren<QWidget *>()) {
        const auto [text, room] = captionRoom(*widget);
        if (!widget->isVisibleTo(&form) || text.isEmpty())
            continue;
        ++checked;
        const QFontMetricsF metrics(widget->font());
        const auto *label = qobject_cast<const QLabel *>(widget);
        QSizeF needed;
        if (label && label->wordWrap()) {
            needed =
                metrics.boundingRect(QRectF(room), int(label->alignment()) | Qt::TextWordWrap, text)
                    .size();
        } else {
            for (const QString &line : text.split(QLatin1Char('\n')))
                needed = {qMax(needed.width(), metrics.horizontalAdvance(line)),
                          needed.height() + metrics.lineSpacing()};
            needed.rheight() += metrics.height() - metrics.lineSpacing();
        }
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height() + 0.5,
                 qPrintable(QStringLiteral("%1 \"%2\": needs %3 x %4, has %5 x %6")
                                .arg(widget->objectName(), text)
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(room.width())
                                .arg(room.height())));
        QVERIFY2(widget->parentWidget() == area ||
                     widget->parentWidget()->rect().contains(widget->geometry()),
                 qPrintable(widget->objectName() + QStringLiteral(" reaches past its frame")));
    }
    QVERIFY(checked > 40);

    form.controls().rig->rigType->setFocus();
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        QVERIFY2(area->rect().contains(QRect(focus->mapTo(area, QPoint(0, 0)), focus->size())),
                 qPrintable(focus->objectName() + QStringLiteral(" is outside the window")));
        seen.insert(focus->objectName());
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    // Tab reaches what the window shows, and no more.
    QVERIFY(seen.contains(setupShown ? "txtVportAppPath5" : "chkLaunch5"));
    QVERIFY(!seen.contains(setupShown ? "OVX_TX" : "txtVportAppPath0"));
    QVERIFY(!form.findChild<QWidget *>(QStringLiteral("TestPanel"))->isVisible());
    // The captions read as before, each with its mnemonic.
    for (const QString &item :
         QStringLiteral(
             "mnuExit:E&xit mnuShow:&Show mnuHide:&Hide mnuIndex:&Manual mnuAbout:&About")
             .split(u' '))
        QCOMPARE(form.menuItem(item.section(u':', 0, 0))->text(), item.section(u':', 1));
    for (const auto &[key, menu] : {std::pair{Qt::ALT | Qt::Key_F, "mnuFile"},
                                    {Qt::ALT | Qt::Key_S, "mnuSetup"},
                                    {Qt::ALT | Qt::Key_H, "mnuHelp"},
                                    {QKeyCombination(Qt::Key_F10), "mnuFile"}}) {
        QTest::keyClick(&form, key.key(), key.keyboardModifiers());
        QTRY_VERIFY2(QApplication::activePopupWidget(), qPrintable(menu));
        QCOMPARE(QApplication::activePopupWidget()->objectName(), menu);
        QApplication::activePopupWidget()->close();
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }
}

void TestWindow::terminalLinesReadWhole()
{
    showWindow(true);
    auto *view = m_station->window().findChild<QListView *>(QStringLiteral("ListTerminal1"));
    QVERIFY(view);
    TerminalModel &terminal = m_station->bridge().terminal(1);
    const QString line = "Published as /run/user/1000/ovx2/a-folder-name-long-enough/COM11";
    for (int i = 0; i < 4; ++i) // shown first: the rows widen later
        AppendToTerminal(terminal, "FA00014074000;");
    QTRY_COMPARE(view->model()->rowCount(), 4);
    AppendToTerminal(terminal, line.toLatin1());
    AppendToTerminal(terminal, "FA00014074000;");
    QTRY_COMPARE(view->model()->rowCount(), 6);
    // The rows widen for the long line, and the box scrolls sideways to its end.
    QVERIFY(view->visualRect(view->model()->index(4, 0)).width() > view->viewport()->width());
    QScrollBar *sideways = view->horizontalScrollBar();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Right);
    QVERIFY(sideways->value() > 0);
    QTest::keyClick(view, Qt::Key_End);
    QCOMPARE(sideways->value(), sideways->maximum());
    // There the line's end is painted (not an ellipsis at the box's width, scrolled away).
    const QImage image = view->viewport()->grab().toImage();
    const qreal dpr = image.devicePixelRatio();
    const QRect row = view->visualRect(view->model()->index(4, 0));
    bool ink = false;
    for (int y = qFloor(row.top() * dpr); y < qMin(image.height(), qCeil(row.bottom() * dpr)); ++y)
        for (int x = qFloor((view->viewport()->width() - 12) * dpr); x < image.width(); ++x)
            ink = ink || qGray(image.pixel(x, y)) < 128;
    QVERIFY(ink);
    AppendToTerminal(terminal, "FB00007000000;");
    QTRY_COMPARE(view->model()->rowCount(), 7);
    QCOMPARE(sideways->value(), sideways->maximum());
    sideways->setValue(0);
    // Only a line cut short has a tooltip; a double-click shows it whole in a menu that copies it.
    auto toolTipAt = [view](int n) {
        const QPoint point = view->visualRect(view->model()->index(n, 0)).center();
        QHelpEvent help(QEvent::ToolTip, point, view->viewport()->mapToGlobal(point));
        QApplication::sendEvent(view->viewport(), &help);
        return point;
    };
    toolTipAt(5);
    QVERIFY(!QToolTip::isVisible());
    const QPoint onLong = toolTipAt(4);
    QCOMPARE(QToolTip::text(), line);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, onLong);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, onLong);
    QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QCOMPARE(menu->actions().value(0)->text(), line);
    menu->actions().value(1)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), line);
    menu->close();
}

void TestWindow::longPathsAndNamesShown()
{
    MainWindow &form = showWindow(false);
    // A long name in a box shows its start.
    const QString device = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00";
    QComboBox *rigPort = form.controls().rig->portName;
    rigPort->setEditText(device);
    QCOMPARE(rigPort->lineEdit()->cursorPosition(), 0);
    QCOMPARE(rigPort->toolTip(), device);
    // Typed by the user: the cursor stays where typing goes, until the box is left.
    rigPort->lineEdit()->setFocus();
    QTRY_VERIFY(rigPort->lineEdit()->hasFocus());
    rigPort->lineEdit()->end(false);
    QTest::keyClicks(rigPort->lineEdit(), QStringLiteral("x"));
    QCOMPARE(rigPort->lineEdit()->cursorPosition(), device.size() + 1);
    form.controls().rig->baudRate->setFocus();
    QTRY_COMPARE(rigPort->lineEdit()->cursorPosition(), 0);
    QLineEdit *sdrPath = form.controls().programLines[5];
    sdrPath->setText(QStringLiteral("/opt/sdr/a/long/folder/name/bin/the-sdr-program --rig k3"));
    QCOMPARE(sdrPath->cursorPosition(), 0);
    QCOMPARE(sdrPath->toolTip(), sdrPath->text());
    // A published port's path: as many lines as the label holds, from its start to its name.
    m_rig = std::make_unique<PtyDevice>();
    QVERIFY(m_rig->open() && m_station->bridge().rigPort().Open(m_rig->slavePath()));
    AppPortFrame &one = *form.controls().appFrame(1);
    one.connectButton->click();
    form.controls().sdr->connectButton->click();
    for (auto [label, port] :
         {std::pair{one.pathLabel, &m_station->bridge().appPort(1)},
          std::pair{form.controls().sdr->pathLabel, &m_station->bridge().sdrPort()}}) {
        const QString path = port->DevicePath();
        QCOMPARE(label->toolTip(), path);
        const QStringList lines = label->text().split(QLatin1Char('\n'));
        QVERIFY(label->isVisible() && !path.isEmpty());
        QVERIFY(lines.size() * label->fontMetrics().lineSpacing() <= label->height() + 1);
        QVERIFY2(lines.first().startsWith(path.left(4)) &&
                     lines.last().endsWith(path.section(QLatin1Char('/'), -1)),
                 qPrintable(label->text()));
        for (const QString &line : lines)
            QVERIFY(label->fontMetrics().horizontalAdvance(line) <= label->contentsRect().width());
    }
    one.connectButton->click(); // removed: the path goes
    QVERIFY(one.pathLabel->text().isEmpty() && one.portName->toolTip().isEmpty());
}

void TestWindow::pathBroken_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("chars"); // the label's width, in characters of a fixed-pitch font
    QTest::addColumn<int>("maxLines");
    QTest::addColumn<QString>("expected"); // '|' between lines
    QTest::newRow("broken after a slash")
        << "/run/user/1000/ovx2/COM11" << 16 << 2 << "/run/user/1000/|ovx2/COM11";
    QTest::newRow("too long: start, ellipsis, name")
        << "/run/user/1000/a/b/c/d/e/f/g/h/ovx2/COM11" << 16 << 2
        << "/run/user/1000\u2026|f/g/h/ovx2/COM11";
    QTest::newRow("one line: the middle elided")
        << "/run/user/1000/ovx2/COM11" << 12 << 1 << "/run/\u2026COM11";
    QTest::newRow("a piece wider than a line")
        << "/x/averyveryverylongname/COM1" << 10 << 4 << "/x/|averyveryv|erylongnam|e/COM1";
}

void TestWindow::pathBroken()
{
    QFETCH(QString, path);
    QFETCH(int, chars);
    QFETCH(int, maxLines);
    QFETCH(QString, expected);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(10);
    const QFontMetrics metrics(mono);
    const int width = metrics.horizontalAdvance(QString(chars, QLatin1Char('x')));
    const QString lines = ::pathInLines(path, metrics, width, maxLines);
    for (const QString &line : lines.split(QLatin1Char('\n')))
        QVERIFY(metrics.horizontalAdvance(line) <= width);
    QCOMPARE(QString(lines).replace(QLatin1Char('\n'), QLatin1Char('|')), expected);
}

void TestWindow::loadedSettingsShowInTheControlsAndThePlace()
{
    const QByteArray loaded = configFile({{"Position-Left=", "1500"},
                                          {"Position-Top=", "750"},
                                          {"On_Top=", "1"},
                                          {"VirPort1AutoConnect=", "1"},
                                          {"Poll=", "1000"},
                                          {"VirPort2=", "COM22"},
                                          {"PowerSDR App Path=", "/usr/bin/sdr -x"},
                                          {"VirPort3AutoConnect=", "2"},
                                          {"Rig Type(0,1,2..K3, Yaesu, Ken)=", "2"}});
    QFile config(path("config.ini"));
    QVERIFY(config.open(QIODevice::WriteOnly) && config.write(loaded) == loaded.size());
    config.close();
    // The outer top left corner is where config.ini said, in twips; the frame lies inside it.
    for (int start = 0; start < 2; ++start) {
        MainWindow &form = showWindow(start == 1);
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QTRY_COMPARE(form.frameGeometry().topLeft(), QPoint(100, 50));
        QCOMPARE(form.pos(), QPoint(100, 50));
        const Controls &c = form.controls();
        if (start == 0) {
            QVERIFY(c.appFrame(1)->autoConnect->isChecked());
            QCOMPARE(c.appFrame(3)->autoConnect->checkState(), Qt::PartiallyChecked);
            QCOMPARE(c.polling->interval->text(), QStringLiteral("1000"));
            QCOMPARE(c.polling->stepper->value(), 1000);
            QCOMPARE(c.appFrame(2)->portName->currentText(), QStringLiteral("COM22"));
            QCOMPARE(c.programLines[5]->text(), QStringLiteral("/usr/bin/sdr -x"));
            QCOMPARE(c.rig->rigType->currentText(), QStringLiteral("Kenwood"));
            QCOMPARE(file("config.ini"), loaded); // showing them is no change
        } else {                                  // "AlwaysOn Top" clicked keeps the place
            const QRect frame = form.frameGeometry();
            for (bool on : {false, true}) {
                c.onTop->setChecked(on);
                QCOMPARE(bool(form.windowFlags() & Qt::WindowStaysOnTopHint), on);
                QVERIFY(QTest::qWaitForWindowExposed(&form));
                QTRY_COMPARE(form.frameGeometry(), frame);
            }
        }
        QVERIFY(form.close());
        QVERIFY(file("config.ini")
                    .replace("\r", "")
                    .startsWith("Position-Left=1500\nPosition-Top=750\n"));
        m_station.reset();
    }
}

void TestWindow::userChangesReachTheSettingsAndTheFiles()
{
    WindowedStation &s = start();
    const Controls &c = s.window().controls();
    AppPortFrame &two = *c.appFrame(2);
    QTest::mouseClick(two.autoInfo2, Qt::LeftButton);
    QCOMPARE(s.bridge().settings().port(2).autoInfo2, 1);
    QVERIFY(file("config.ini").contains("\r\nVirPort2AutoInfo2=1\r\n"));
    // The boxes couple in the settings, and the window shows it.
    QTest::mouseClick(two.autoInfo1, Qt::LeftButton);
    QCOMPARE(s.bridge().settings().port(2).autoInfo2, 0);
    QVERIFY(!two.autoInfo2->isChecked());
    QTest::mouseClick(two.autoLaunch, Qt::LeftButton);
    QVERIFY(two.autoConnect->isChecked());
    // What a port may change: in force at once, and kept in ovx2.ini.
    two.permission->setCurrentIndex(1);
    QCOMPARE(s.bridge().settings().port(2).permission, Permission::Full);
    QVERIFY(file("ovx2.ini").contains("[AppPort2]\nPermission=Full\n"));
    // The polling interval, from the bar or typed.
    c.polling->stepper->setValue(1000);
    QCOMPARE(s.bridge().settings().pollInterval, 1000);
    QCOMPARE(c.polling->interval->text(), QStringLiteral("1000"));
    QCOMPARE(s.bridge().pollTimer().interval(), testClock().realMs(1000));
    c.polling->interval->setText(QStringLiteral("300"));
    QCOMPARE(s.bridge().settings().pollInterval, 300);
    QVERIFY(file("config.ini").contains("\r\nPoll=300\r\n"));
    // A name typed into a port's box.
    c.appFrame(4)->portName->setEditText(QStringLiteral("COM44"));
    QCOMPARE(s.bridge().settings().port(4).name, QStringLiteral("COM44"));
    c.programLines[5]->setText(QStringLiteral("/usr/bin/sdr"));
    QCOMPARE(s.bridge().settings().sdr.program, QStringLiteral("/usr/bin/sdr"));
    QVERIFY(s.messenger().shown.isEmpty());
}

void TestWindow::buttonsFollowTheBridgeAndCloseAsks()
{
    RigSimThread sim(RigType::K3);
    const QString device = sim.start();
    QVERIFY2(!device.isEmpty(), qPrintable(sim.errorString()));
    WindowedStation &s = start();
    const Controls &c = s.window().controls();
    c.rig->portName->setEditText(device);
    QTest::mouseClick(c.rig->connectButton, Qt::LeftButton);
    QCOMPARE(c.rig->connectButton->text(), QStringLiteral("Disconnect"));
    QVERIFY(!c.rig->portName->isEnabled());
    QTRY_COMPARE(s.bridge().rigConnection().state(), RigConnection::State::Open);
    QCOMPARE(s.window().windowTitle(), QString::fromLatin1(kAppTitle));
    AppPortFrame &one = *c.appFrame(1);
    QTest::mouseClick(one.connectButton, Qt::LeftButton);
    QVERIFY(s.bridge().appPort(1).IsCreated());
    QCOMPARE(one.connectButton->text(), QStringLiteral("Disconnect"));
    QTest::mouseClick(one.connectButton, Qt::LeftButton);
    QCOMPARE(one.connectButton->text(), QStringLiteral("Connect"));
    s.bridge().togglePort(3);
    // A port still held: close asks; No keeps everything, unsaved.
    StationProgram program(s.bridge().appPort(3).DevicePath());
    QTRY_VERIFY(s.bridge().appPort(3).IsOpenedByApp());
    QTest::mouseClick(c.rig->connectButton, Qt::LeftButton);
    QCOMPARE(c.rig->connectButton->text(), QStringLiteral("Connect"));
    QVERIFY(c.rig->portName->isEnabled());
    QTRY_VERIFY(!s.bridge().rigPort().IsOpened());
    QFile::remove(path("config.ini"));
    s.messenger().answers = {false};
    QVERIFY(!s.window().close());
    QVERIFY(s.window().isVisible());
    QCOMPARE(s.messenger().shown.size(), 1);
    QCOMPARE(s.messenger().shown.first().text,
             QStringLiteral("Virtual Serial Port is still used by other application\r\n"
                            "Do you want to exit anyway ?"));
    QVERIFY(s.bridge().appPort(3).IsCreated() && !QFile::exists(path("config.ini")));
    // Yes: every port removed, the settings saved.
    QVERIFY(s.window().close());
    QVERIFY(!s.bridge().appPort(3).IsCreated());
    QCOMPARE(file("config.ini").count("\r\n"), 51);
}

void TestWindow::setupAndHelpMenus()
{
    WindowedStation &s = start();
    MainWindow &w = s.window();
    w.menuItem(QStringLiteral("mnuShow"))->trigger();
    QCOMPARE(w.frameGeometry().size(), QSize(900, 704)); // 13500 x 10560 twips
    QVERIFY(!w.menuItem(QStringLiteral("mnuHide"))->isChecked());
    QVERIFY(file("config.ini").contains("Setup=True"));
    w.menuItem(QStringLiteral("mnuHide"))->trigger();
    QCOMPARE(w.frameGeometry().size(), QSize(586, 413)); // 8800 x 6200 twips
    QVERIFY(file("config.ini").contains("Setup=False"));
    w.menuItem(QStringLiteral("mnuIndex"))->trigger();
    w.menuItem(QStringLiteral("mnuAbout"))->trigger();
    const QList<Message> &shown = s.messenger().shown;
    QCOMPARE(shown.size(), 2);
    QVERIFY(shown[0].text.startsWith(QString(18, QLatin1Char(' ')) +
                                     QStringLiteral("Orvex \r\nManual online at ")));
    QVERIFY(shown[1].text.startsWith(QString(23, QLatin1Char(' ')) +
                                     QString::fromLatin1(kAppTitle) + QStringLiteral("\r\n")));
    // Exit closes the window and keeps its place.
    w.move(-200, 30);
    w.menuItem(QStringLiteral("mnuExit"))->trigger();
    QVERIFY(!w.isVisible());
    QVERIFY(file("config.ini").startsWith("Position-Left=0\r\nPosition-Top=450\r\n"));
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
