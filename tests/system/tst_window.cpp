#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "controls/frames.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "ports/pty_device.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "private_runtime.h"
#include "scripted_messenger.h"
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
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

// The window as a user sees it, at the scale this run was started with (ctest runs it at 1x,
// 1.25x and 2x, and with the fonts at 120 dpi): every caption whole, terminal lines readable
// whole, the ports' paths in their frames, the keyboard kept to what the window shows, and the
// saved position kept with "AlwaysOn Top".
class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void runsAtTheScaleAsked();
    void captionsWhole_data();
    void captionsWhole();
    void tabStaysInView_data();
    void tabStaysInView();
    void menusOpenFromTheKeyboard();
    void terminalLinesReadWhole();
    void portPathsShownInTheirFrames();
    void pathBroken_data();
    void pathBroken();
    void longNamesShowTheirStart();
    void savedPositionKept_data();
    void savedPositionKept();
    void onTopClickKeepsThePlace();

private:
    QString configPath() const { return m_dir->path() + QStringLiteral("/config.ini"); }
    QList<QByteArray> fileLines() const;
    void writeConfig(const QMap<QByteArray, QByteArray> &values);
    MainWindow &showWindow(bool setupShown);
    void openRigStandIn();

    QTemporaryDir m_runtime;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WindowedStation> m_station;
    std::unique_ptr<PtyDevice> m_rig;
};

void TestWindow::initTestCase()
{
    usePrivateRuntimeDir(m_runtime);
}

void TestWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestWindow::cleanup()
{
    m_station.reset();
    m_rig.reset();
}

QList<QByteArray> TestWindow::fileLines() const
{
    QFile file(configPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().split('\n');
}

void TestWindow::writeConfig(const QMap<QByteArray, QByteArray> &values)
{
    QFile file(configPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(configFile(values));
}

MainWindow &TestWindow::showWindow(bool setupShown)
{
    m_station = std::make_unique<WindowedStation>(configPath(), testClock());
    MainWindow &window = m_station->window();
    window.showAsSaved();
    window.showSetup(setupShown);
    m_station->bridge().start();
    if (!QTest::qWaitForWindowExposed(&window))
        qWarning("the window was not exposed");
    return window;
}

void TestWindow::openRigStandIn()
{
    m_rig = std::make_unique<PtyDevice>();
    QVERIFY(m_rig->open());
    QVERIFY(m_station->bridge().rigPort().Open(m_rig->slavePath()));
}

void TestWindow::runsAtTheScaleAsked()
{
    MainWindow &form = showWindow(true);
    // Qt scales by the factor asked, and by the fonts' dpi over 96 (as a desktop's 125% sets it).
    const double asked = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble() *
                         qEnvironmentVariable("QT_FONT_DPI", QStringLiteral("96")).toDouble() / 96;
    QCOMPARE(form.devicePixelRatioF(), asked);
    const QFont font = form.controls().rig->font();
    qInfo("scale %.2f: captions in %s, %d px, stretch %d", form.devicePixelRatioF(),
          qPrintable(QFontInfo(font).family()), font.pixelSize(), font.stretch());
}

// --- Captions ------------------------------------------------------------------------------

namespace {

// The room each kind of control gives its caption, as the style lays the control out, and the
// caption's width and height by the font's metrics: the room must hold the text.
struct Fit {
    QString text;
    QRectF needed; // at the text's place
    QRect room;    // where the control draws it, clipped to the control
};

Fit fitOf(const QWidget &widget)
{
    const QStyle *style = widget.style();
    const QFontMetricsF metrics(widget.font());
    auto textSize = [&](const QString &text) {
        QSizeF size(0, 0);
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            size.setWidth(qMax(size.width(), metrics.horizontalAdvance(line)));
            size.rheight() += metrics.lineSpacing();
        }
        size.rheight() += metrics.height() - metrics.lineSpacing();
        return size;
    };
    if (const auto *label = qobject_cast<const QLabel *>(&widget)) {
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                          -label->margin(), -label->margin());
        if (label->wordWrap()) {
            const QRectF wrapped = metrics.boundingRect(
                QRectF(room), int(label->alignment()) | Qt::TextWordWrap, label->text());
            return {label->text(), wrapped, room};
        }
        return {label->text(), QRectF(room.topLeft(), textSize(label->text())), room};
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(&widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const auto contents = qobject_cast<const QCheckBox *>(button)
                                  ? QStyle::SE_CheckBoxContents
                                  : QStyle::SE_PushButtonContents;
        const QRect room = style->subElementRect(contents, &option, button) & button->rect();
        return {button->text(), QRectF(room.topLeft(), textSize(button->text())), room};
    }
    if (const auto *frame = qobject_cast<const QGroupBox *>(&widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.textAlignment = frame->alignment();
        const QRect label =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        // The style places the title by its own width; it must end before the frame's right
        // edge, with the margin it has on the left.
        const QRect room(label.left(), label.top(), frame->width() - 2 * label.left(),
                         label.height());
        return {frame->title(), QRectF(label.topLeft(), textSize(frame->title())), room};
    }
    return {};
}

} // namespace

void TestWindow::captionsWhole_data()
{
    QTest::addColumn<bool>("setupShown");
    QTest::newRow("setup shown") << true;
    QTest::newRow("setup hidden") << false;
}

void TestWindow::captionsWhole()
{
    QFETCH(bool, setupShown);
    MainWindow &form = showWindow(setupShown);
    QWidget *area = form.centralWidget();
    int checked = 0;
    double tightest = 1e9;
    QString tightestText;
    for (QWidget *widget : area->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(&form))
            continue;
        const Fit fit = fitOf(*widget);
        if (fit.text.isEmpty())
            continue;
        ++checked;
        // The room holds the text, in width and in height...
        const double slack = fit.room.width() - fit.needed.width();
        QVERIFY2(slack >= 0 && fit.needed.height() <= fit.room.height() + 0.5,
                 qPrintable(QStringLiteral("%1 \"%2\": needs %3 x %4, has %5 x %6")
                                .arg(widget->objectName(), fit.text)
                                .arg(fit.needed.width())
                                .arg(fit.needed.height())
                                .arg(fit.room.width())
                                .arg(fit.room.height())));
        if (slack < tightest) {
            tightest = slack;
            tightestText = fit.text;
        }
        // ...and the control itself is not cut by the frame that holds it.
        const QWidget *parent = widget->parentWidget();
        if (parent != area)
            QVERIFY2(parent->rect().contains(widget->geometry()),
                     qPrintable(widget->objectName() + QStringLiteral(" reaches past its frame")));
    }
    QVERIFY(checked > 40);
    qInfo("%d captions whole at scale %.2f; the tightest, \"%s\", has %.1f px to spare", checked,
          form.devicePixelRatioF(), qPrintable(tightestText), tightest);
}

// --- The keyboard --------------------------------------------------------------------------

void TestWindow::tabStaysInView_data()
{
    QTest::addColumn<bool>("setupShown");
    QTest::addColumn<QString>("reached");    // a control Tab must reach
    QTest::addColumn<QString>("notReached"); // one it must not
    QTest::newRow("setup hidden") << false << "chkLaunch5"
                                  << "txtVportAppPath0";
    QTest::newRow("setup shown") << true << "txtVportAppPath5"
                                 << "OVX_TX";
}

void TestWindow::tabStaysInView()
{
    QFETCH(bool, setupShown);
    QFETCH(QString, reached);
    QFETCH(QString, notReached);
    MainWindow &form = showWindow(setupShown);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QWidget *area = form.centralWidget();
    form.controls().rig->rigType->setFocus();
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        const QRect place(focus->mapTo(area, QPoint(0, 0)), focus->size());
        QVERIFY2(area->rect().contains(place),
                 qPrintable(focus->objectName() + QStringLiteral(" is outside the window")));
        seen.insert(focus->objectName());
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QVERIFY2(seen.contains(reached), qPrintable(reached));
    QVERIFY2(!seen.contains(notReached), qPrintable(notReached));
    QVERIFY(!form.findChild<QWidget *>(QStringLiteral("TestPanel"))->isVisible());
}

void TestWindow::menusOpenFromTheKeyboard()
{
    MainWindow &form = showWindow(false);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    // The captions read as before; each has its mnemonic.
    const QMap<QString, QString> captions{{"mnuExit", "Exit"},
                                          {"mnuShow", "Show"},
                                          {"mnuHide", "Hide"},
                                          {"mnuIndex", "Manual"},
                                          {"mnuAbout", "About"}};
    for (auto caption = captions.cbegin(); caption != captions.cend(); ++caption) {
        const QString text = form.menuItem(caption.key())->text();
        QVERIFY2(text.count(QLatin1Char('&')) == 1, qPrintable(text));
        QCOMPARE(QString(text).remove(QLatin1Char('&')), caption.value());
    }
    const QList<std::pair<QKeyCombination, QString>> keys{
        {Qt::ALT | Qt::Key_F, "mnuFile"},
        {Qt::ALT | Qt::Key_S, "mnuSetup"},
        {Qt::ALT | Qt::Key_H, "mnuHelp"},
        {QKeyCombination(Qt::Key_F10), "mnuFile"}};
    for (const auto &[key, menu] : keys) {
        QTest::keyClick(&form, key.key(), key.keyboardModifiers());
        QTRY_VERIFY2(QApplication::activePopupWidget(), qPrintable(menu));
        QCOMPARE(QApplication::activePopupWidget()->objectName(), menu);
        QApplication::activePopupWidget()->close();
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }
}

// --- Terminals, paths, names ---------------------------------------------------------------

void TestWindow::terminalLinesReadWhole()
{
    MainWindow &form = showWindow(true);
    form.activateWindow(); // an activation arriving later would close the tooltips
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto *view = form.findChild<QListView *>(QStringLiteral("ListTerminal1"));
    QVERIFY(view);
    TerminalModel &terminal = m_station->bridge().terminal(1);
    const QByteArray line = "Published as /run/user/1000/ovx2/a-folder-name-long-enough/COM11";
    // Short lines shown first, then the long one: the rows widen for it.
    for (int i = 0; i < 4; ++i)
        AppendToTerminal(terminal, "FA00014074000;");
    QTRY_COMPARE(view->model()->rowCount(), 4);
    AppendToTerminal(terminal, line);
    AppendToTerminal(terminal, "FA00014074000;");
    QTRY_COMPARE(view->model()->rowCount(), 6);
    const QModelIndex index = view->model()->index(4, 0);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.text = QString::fromLatin1(line);
    option.features = QStyleOptionViewItem::HasDisplay;
    const QRect text = view->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, view);
    QVERIFY2(view->fontMetrics().horizontalAdvance(option.text) <= text.width(),
             "the long line is elided");
    QVERIFY(option.rect.width() > view->viewport()->width());
    // The box scrolls sideways to the line's end (from the keyboard too), and stays there while
    // lines arrive.
    QScrollBar *sideways = view->horizontalScrollBar();
    QVERIFY(sideways->maximum() > 0);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Right);
    QVERIFY(sideways->value() > 0);
    QTest::keyClick(view, Qt::Key_End);
    QCOMPARE(sideways->value(), sideways->maximum());
    // There the line's end is painted (not an ellipsis at the box's width, scrolled away).
    auto inkNearTheRightEdge = [view](int n) {
        const QImage image = view->viewport()->grab().toImage();
        const QRect row = view->visualRect(view->model()->index(n, 0));
        const QRect edge(view->viewport()->width() - 12, row.top(), 12, row.height());
        const qreal dpr = image.devicePixelRatio();
        const QRect pixels(QPoint(qFloor(edge.left() * dpr), qFloor(edge.top() * dpr)),
                           QPoint(qCeil(edge.right() * dpr), qCeil(edge.bottom() * dpr)));
        for (int y = pixels.top(); y <= pixels.bottom() && y < image.height(); ++y) {
            for (int x = pixels.left(); x <= pixels.right() && x < image.width(); ++x) {
                if (qGray(image.pixel(x, y)) < 128)
                    return true;
            }
        }
        return false;
    };
    QVERIFY(inkNearTheRightEdge(4));
    AppendToTerminal(terminal, "FB00007000000;");
    QTRY_COMPARE(view->model()->rowCount(), 7);
    QCOMPARE(sideways->value(), sideways->maximum());
    sideways->setValue(0);

    // A line that shows whole has no tooltip; a longer one's tooltip shows it whole.
    auto toolTipAt = [view](int n) {
        const QPoint point = view->visualRect(view->model()->index(n, 0)).center();
        QHelpEvent help(QEvent::ToolTip, point, view->viewport()->mapToGlobal(point));
        QApplication::sendEvent(view->viewport(), &help);
        return point;
    };
    QVERIFY(!QToolTip::isVisible());
    toolTipAt(5);
    QVERIFY(!QToolTip::isVisible());
    const QPoint onLong = toolTipAt(4);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QString::fromLatin1(line));
    // A double-click shows it whole in a menu that copies it.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, onLong); // the first click's press
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, onLong);
    QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QCOMPARE(menu->objectName(), QStringLiteral("wholeLine"));
    QCOMPARE(menu->actions().value(0)->text(), QString::fromLatin1(line));
    menu->actions().value(1)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(line));
    menu->close();
}

void TestWindow::portPathsShownInTheirFrames()
{
    MainWindow &form = showWindow(false);
    openRigStandIn();
    AppPortFrame &one = *form.controls().appFrame(1);
    SdrPortFrame &sdr = *form.controls().sdr;
    one.connectButton->click();
    sdr.connectButton->click();
    for (auto [label, port] : {std::pair{one.pathLabel, &m_station->bridge().appPort(1)},
                               std::pair{sdr.pathLabel, &m_station->bridge().sdrPort()}}) {
        const QString path = port->DevicePath();
        QVERIFY(!path.isEmpty());
        QCOMPARE(label->toolTip(), path);
        QVERIFY(label->isVisible());
        // Shown in as many lines as the label holds, starting with the path's start, ending with
        // the port's name, each line within the label.
        const QStringList lines = label->text().split(QLatin1Char('\n'));
        QVERIFY(lines.size() * label->fontMetrics().lineSpacing() <= label->height() + 1);
        QVERIFY2(lines.first().startsWith(path.left(4)), qPrintable(label->text()));
        QVERIFY2(lines.last().endsWith(path.section(QLatin1Char('/'), -1)),
                 qPrintable(label->text()));
        for (const QString &line : lines)
            QVERIFY(label->fontMetrics().horizontalAdvance(line) <= label->contentsRect().width());
        QVERIFY(label->font().pixelSize() < form.controls().rig->font().pixelSize());
    }
    one.connectButton->click(); // removed: the path goes
    QVERIFY(one.pathLabel->text().isEmpty());
    QVERIFY(one.portName->toolTip().isEmpty());
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
    const QStringList lines =
        ::pathInLines(path, metrics, width, maxLines).split(QLatin1Char('\n'));
    QVERIFY(lines.size() <= maxLines);
    for (const QString &line : lines)
        QVERIFY(metrics.horizontalAdvance(line) <= width);
    QCOMPARE(lines.join(QLatin1Char('|')), expected);
}

void TestWindow::longNamesShowTheirStart()
{
    MainWindow &form = showWindow(false);
    const QString device =
        QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00");
    QComboBox *rigPort = form.controls().rig->portName;
    rigPort->setEditText(device);
    QCOMPARE(rigPort->lineEdit()->cursorPosition(), 0); // the view follows the cursor
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
}

// --- The saved position --------------------------------------------------------------------

void TestWindow::savedPositionKept_data()
{
    QTest::addColumn<QByteArray>("onTop");
    QTest::newRow("on top") << QByteArray("1");
    QTest::newRow("not on top") << QByteArray("0");
}

void TestWindow::savedPositionKept()
{
    QFETCH(QByteArray, onTop);
    writeConfig({{"Position-Left=", "1500"}, {"Position-Top=", "750"}, {"On_Top=", onTop}});
    for (int start = 0; start < 2; ++start) {
        MainWindow &form = showWindow(false);
        QCOMPARE(form.controls().onTop->isChecked(), onTop == "1");
        QCOMPARE(bool(form.windowFlags() & Qt::WindowStaysOnTopHint), onTop == "1");
        // The outer top left corner is where config.ini said, 1500 and 750 twips; the frame
        // (the platform's, two pixels wide here) lies inside it.
        QTRY_COMPARE(form.frameGeometry().topLeft(), QPoint(100, 50));
        QCOMPARE(form.pos(), QPoint(100, 50));
        qInfo("start %d: frame at %d,%d, client at %d,%d", start + 1, form.frameGeometry().x(),
              form.frameGeometry().y(), form.geometry().x(), form.geometry().y());
        QVERIFY(form.close());
        const QList<QByteArray> lines = fileLines();
        QCOMPARE(lines.value(0).trimmed(), QByteArray("Position-Left=1500"));
        QCOMPARE(lines.value(1).trimmed(), QByteArray("Position-Top=750"));
        m_station.reset();
    }
}

void TestWindow::onTopClickKeepsThePlace()
{
    writeConfig({{"Position-Left=", "3000"}, {"Position-Top=", "1500"}});
    MainWindow &form = showWindow(true);
    QTRY_COMPARE(form.frameGeometry().topLeft(), QPoint(200, 100));
    const QRect frame = form.frameGeometry();
    for (bool on : {true, false}) {
        form.controls().onTop->setChecked(on);
        QCOMPARE(bool(form.windowFlags() & Qt::WindowStaysOnTopHint), on);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(form.frameGeometry(), frame);
    }
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
