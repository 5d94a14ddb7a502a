#include "controls/frames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

template <typename W> W *place(W *w, const QString &name, int left, int top, int width, int height)
{
    w->setObjectName(name);
    w->setGeometry(tw(left), tw(top), tw(width), tw(height));
    return w;
}

QComboBox *editableCombo(QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    showStartWhenIdle(box->lineEdit());
    return box;
}

// A box of fixed choices that can be typed in: typing a choice chooses it, and text that is none
// of them goes back to the chosen one when the box is left, so that the box never shows one
// choice while another is in use.
QComboBox *typedChoiceCombo(QWidget *parent)
{
    QComboBox *box = editableCombo(parent);
    QObject::connect(box, &QComboBox::editTextChanged, box, [box](const QString &text) {
        if (const int typed = box->findText(text); typed >= 0 && typed != box->currentIndex())
            box->setCurrentIndex(typed);
    });
    QObject::connect(box->lineEdit(), &QLineEdit::editingFinished, box, [box] {
        if (const QString chosen = box->itemText(box->currentIndex()); box->currentText() != chosen)
            box->setEditText(chosen);
    });
    return box;
}

// A real port's box: its tooltip holds the whole device name.
QComboBox *devicePathCombo(QWidget *parent)
{
    QComboBox *box = editableCombo(parent);
    QObject::connect(box, &QComboBox::editTextChanged, box,
                     [box](const QString &text) { box->setToolTip(text); });
    return box;
}

// The pieces of a path, each ending after a '/' but the last.
QStringList pathPieces(const QString &path)
{
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path[i] == QLatin1Char('/')) {
            pieces << path.mid(start, i + 1 - start);
            start = i + 1;
        }
    }
    if (start < path.size())
        pieces << path.mid(start);
    return pieces;
}

// Fills lines from the pieces, a piece wider than a line broken where the line ends.
QStringList fillLines(const QStringList &pieces, const QFontMetrics &metrics, int width)
{
    QStringList lines{QString()};
    for (const QString &piece : pieces) {
        if (metrics.horizontalAdvance(lines.last() + piece) <= width) {
            lines.last() += piece;
            continue;
        }
        if (!lines.last().isEmpty())
            lines << QString();
        for (const QChar c : piece) {
            if (!lines.last().isEmpty() && metrics.horizontalAdvance(lines.last() + c) > width)
                lines << QString();
            lines.last() += c;
        }
    }
    return lines;
}

} // namespace

void showStartWhenIdle(QLineEdit *edit)
{
    // Text set by the program (setText clears the modified flag), not typed.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] {
        if (!edit->isModified())
            edit->setCursorPosition(0);
    });
    QObject::connect(edit, &QLineEdit::editingFinished, edit,
                     [edit] { edit->setCursorPosition(0); });
}

int boxValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

QString pathInLines(const QString &path, const QFontMetrics &metrics, int width, int maxLines)
{
    const QStringList pieces = pathPieces(path);
    QStringList lines = fillLines(pieces, metrics, width);
    if (lines.size() <= maxLines)
        return lines.join(QLatin1Char('\n'));
    if (maxLines <= 1)
        return metrics.elidedText(path, Qt::ElideMiddle, width);
    // The last line: as many of the last pieces as fit (the COM name at least, elided if need be).
    QString tail;
    for (auto piece = pieces.crbegin(); piece != pieces.crend(); ++piece) {
        if (!tail.isEmpty() && metrics.horizontalAdvance(*piece + tail) > width)
            break;
        tail.prepend(*piece);
    }
    if (metrics.horizontalAdvance(tail) > width)
        tail = metrics.elidedText(tail, Qt::ElideLeft, width);
    // The lines before it: the start of the path, the last of them ending in an ellipsis.
    QStringList head = lines.mid(0, maxLines - 1);
    head.last() =
        metrics.elidedText(head.last() + lines.value(maxLines - 1), Qt::ElideRight, width);
    return (head << tail).join(QLatin1Char('\n'));
}

PortPathLabel::PortPathLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PortPathLabel::setPath(const QString &path)
{
    m_path = path;
    setToolTip(path);
    relayout();
}

void PortPathLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        relayout();
}

void PortPathLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    relayout();
}

void PortPathLabel::relayout()
{
    const QFontMetrics metrics = fontMetrics();
    const int room = contentsRect().width();
    setText(pathInLines(m_path, metrics, room,
                        qMax(1, contentsRect().height() / qMax(1, metrics.lineSpacing()))));
}

void showPortPath(QComboBox &nameBox, const QString &path)
{
    nameBox.setToolTip(path);
    if (auto *label = nameBox.parentWidget()->findChild<PortPathLabel *>(
            QString(), Qt::FindDirectChildrenOnly))
        label->setPath(path);
}

RigPortFrame::RigPortFrame(QWidget *parent) : QGroupBox(QStringLiteral("Rig Port"), parent)
{
    setObjectName(QStringLiteral("RigPortFrame"));
    rigType = place(new QComboBox(this), QStringLiteral("cbRigType"), 120, 300, 1335, 315);
    portName = place(devicePathCombo(this), QStringLiteral("ComboPort"), 120, 720, 1335, 315);
    portName->setEditText(QStringLiteral("COM1"));
    baudRate = place(typedChoiceCombo(this), QStringLiteral("cbBaudRate"), 120, 1140, 1335, 315);
    baudRate->addItems({QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200"),
                        QStringLiteral("38400"), QStringLiteral("57600"),
                        QStringLiteral("115200")});
    baudRate->setCurrentIndex(3);
    connectButton = place(new QPushButton(QStringLiteral("Connect"), this),
                          QStringLiteral("btnOpen"), 120, 1560, 1335, 375);
    autoConnect = place(new QCheckBox(QStringLiteral("Auto Connect"), this),
                        QStringLiteral("chkConnectK3"), 120, 2040, 1395, 255);
}

PollingControls::PollingControls(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PollingControls"));
    auto *label = place(new QLabel(QStringLiteral("Polling (ms)"), this), QStringLiteral("lblPoll"),
                        0, 0, 840, 285);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    interval = place(new QLineEdit(QStringLiteral("250"), this), QStringLiteral("txtPOLL"), 840, 0,
                     480, 285);
    stepper =
        place(new QScrollBar(Qt::Vertical, this), QStringLiteral("VScrollPoll"), 1320, 0, 255, 315);
    stepper->setRange(100, 5000);
    stepper->setSingleStep(50);
    stepper->setPageStep(50);
    // The polling timer follows the value shown.
    stepper->setValue(250);
}

AppPortFrame::AppPortFrame(int n, QWidget *parent)
    : QGroupBox(QStringLiteral("Virtual Com Port #%1").arg(n), parent), number(n)
{
    setObjectName(QStringLiteral("AppPortFrame%1").arg(n));
    const QString suffix = n == 1 ? QString() : QString::number(n);
    portName =
        place(editableCombo(this), QStringLiteral("ComboVPort%1").arg(n), 120, 240, 1335, 315);
    portName->setEditText(QStringLiteral("COM%1").arg(10 + n));
    pathLabel =
        place(new PortPathLabel(this), QStringLiteral("lblPortPath%1").arg(n), 120, 570, 1395, 180);
    permission =
        place(new QComboBox(this), QStringLiteral("cbPermission%1").arg(n), 120, 750, 1335, 285);
    permission->addItems({QStringLiteral("Freq/Mode"), QStringLiteral("Full")});
    if (n == 1) {
        // Port 1 passes every command but AI, K2 and K3 settings to the rig.
        permission->setCurrentIndex(1);
        permission->setEnabled(false);
        permission->setToolTip(QStringLiteral("Port 1 passes every setting to the rig"));
    } else {
        permission->setToolTip(
            QStringLiteral("Freq/Mode: the program may change frequency and mode only.\n"
                           "Full: every setting reaches the rig, PTT and split included."));
    }
    connectButton = place(new QPushButton(QStringLiteral("Connect"), this),
                          QStringLiteral("btnCreatePort") + suffix, 120, 1050, 1335, 330);
    autoConnect = place(new QCheckBox(QStringLiteral("Auto Connect"), this),
                        QStringLiteral("chkConnect%1").arg(n), 120, 1410, 1395, 255);
    autoInfo1 = place(new QCheckBox(QStringLiteral("AI1"), this),
                      QStringLiteral("chkAI%1").arg(2 * n - 1), 120, 1680, 660, 255);
    autoInfo2 = place(new QCheckBox(QStringLiteral("AI2"), this),
                      QStringLiteral("chkAI%1").arg(2 * n), 780, 1680, 660, 255);
    autoLaunch = place(new QCheckBox(QStringLiteral("Auto Launch"), this),
                       QStringLiteral("chkLaunch%1").arg(n), 120, 1950, 1395, 255);
    place(new QLabel(QStringLiteral("Pgm"), this), QStringLiteral("lblPgm%1").arg(n), 120, 2220,
          375, 285);
    programName = place(new QLineEdit(QStringLiteral("Enter Name"), this),
                        QStringLiteral("txtAppName%1").arg(n), 480, 2220, 1035, 285);
}

SdrPortFrame::SdrPortFrame(QWidget *parent) : QGroupBox(QStringLiteral("SDR Port"), parent)
{
    setObjectName(QStringLiteral("SdrPortFrame"));
    portName = place(editableCombo(this), QStringLiteral("ComboVPort7"), 120, 300, 1095, 315);
    portName->setEditText(QStringLiteral("COM99"));
    pathLabel = place(new PortPathLabel(this), QStringLiteral("lblPortPath7"), 120, 630, 1155, 300);
    connectButton = place(new QPushButton(QStringLiteral("Connect"), this),
                          QStringLiteral("btnCreatePort7"), 120, 960, 1095, 375);
    autoConnect = place(new QCheckBox(QStringLiteral("Auto Connect"), this),
                        QStringLiteral("chkConnect7"), 120, 1410, 1175, 255);
    auto *label = place(new QLabel(QStringLiteral("For panadapter programs"), this),
                        QStringLiteral("lblSdr"), 120, 1740, 1155, 555);
    label->setWordWrap(true);
}

NetworkFrame::NetworkFrame(const DoorFrameText &text, QWidget *parent)
    : QGroupBox(QString::fromLatin1(text.title), parent)
{
    const QString names = QString::fromLatin1(text.names);
    // The rigctld door's controls keep the names they always had.
    const QString own = names == QLatin1String("Net") ? QString() : names;
    setObjectName(QString::fromLatin1(text.title).remove(QLatin1Char('-')) +
                  QStringLiteral("Frame"));
    place(new QLabel(QStringLiteral("Address"), this), QStringLiteral("lblAddress") + own, 120, 300,
          780, 285);
    address = place(new QLineEdit(QStringLiteral("127.0.0.1"), this),
                    QStringLiteral("txt%1Address").arg(names), 900, 300, 1800, 285);
    place(new QLabel(QStringLiteral("Port"), this), QStringLiteral("lbl%1Port").arg(names), 2820,
          300, 480, 285);
    portNumber = place(new QLineEdit(QString::fromLatin1(text.port), this),
                       QStringLiteral("txt%1Port").arg(names), 3300, 300, 795, 285);
    connectButton = place(new QPushButton(QStringLiteral("Connect"), this),
                          QStringLiteral("btn%1Listen").arg(own), 120, 720, 1335, 345);
    autoConnect = place(new QCheckBox(QStringLiteral("Auto Connect"), this),
                        QStringLiteral("chk%1Listen").arg(own), 1560, 765, 1395, 255);
    autoConnect->setChecked(true); // on from the first start
    clients = place(new QLabel(QStringLiteral("Clients: 0"), this),
                    QStringLiteral("lbl%1Clients").arg(own), 3000, 765, 1095, 255);
    auto *hint = place(new QLabel(QStringLiteral("Station programs choose the rig \"%1\" at this "
                                                 "address and port.")
                                      .arg(QString::fromLatin1(text.rig)),
                                  this),
                       QStringLiteral("lbl%1Hint").arg(names), 120, 1200, 3975, 510);
    hint->setWordWrap(true);
    if (text.permission) {
        hint->setGeometry(tw(1560), tw(1140), tw(2535), tw(510));
        permission = place(new QComboBox(this), QStringLiteral("cb%1Permission").arg(names), 120,
                           1200, 1335, 285);
        permission->addItems({QStringLiteral("Freq/Mode"), QStringLiteral("Full")});
        permission->setCurrentIndex(1); // on this computer, as for port 1
        permission->setToolTip(
            QStringLiteral("Freq/Mode: programs may change frequency and mode only.\n"
                           "Full: every setting reaches the rig, PTT and CAT text included."));
    }
}

OutputPortFrame::OutputPortFrame(int n, QWidget *parent)
    : QGroupBox(QStringLiteral("Output Com Port %1").arg(n), parent)
{
    setObjectName(QStringLiteral("OutputPortFrame%1").arg(n));
    portName =
        place(devicePathCombo(this), QStringLiteral("ComboPort%1").arg(n + 1), 240, 360, 975, 315);
    portName->setEditText(QStringLiteral("COM1"));
    baudRate =
        place(new QComboBox(this), n == 1 ? QStringLiteral("Combo2") : QStringLiteral("Combo6"),
              240, 840, 975, 315);
    baudRate->addItems({QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200"),
                        QStringLiteral("38400")});
    connectButton = place(new QPushButton(QStringLiteral("Connect"), this),
                          QStringLiteral("btnOpen%1").arg(n + 1), 240, 1320, 975, 375);
    autoConnect = place(new QCheckBox(QStringLiteral("Auto Connect"), this),
                        QStringLiteral("chkConnectOut%1").arg(n), 120, 1800, 1275, 255);
}
