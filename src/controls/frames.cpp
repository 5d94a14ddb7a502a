#include "controls/frames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
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
    return box;
}

} // namespace

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

RigPortFrame::RigPortFrame(QWidget *parent) : QGroupBox(QStringLiteral("Rig Port"), parent)
{
    setObjectName(QStringLiteral("RigPortFrame"));
    cbRigType = place(new QComboBox(this), QStringLiteral("cbRigType"), 120, 300, 1335, 315);
    cbRigType->addItems({QStringLiteral("K3"), QStringLiteral("Yaesu"), QStringLiteral("Kenwood"),
                         QStringLiteral("K2")});
    ComboPort = place(editableCombo(this), QStringLiteral("ComboPort"), 120, 720, 1335, 315);
    ComboPort->setEditText(QStringLiteral("COM1"));
    cbBaudRate = place(editableCombo(this), QStringLiteral("cbBaudRate"), 120, 1140, 1335, 315);
    cbBaudRate->addItems({QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200"),
                          QStringLiteral("38400"), QStringLiteral("57600")});
    cbBaudRate->setCurrentIndex(3);
    btnOpen = place(new QPushButton(QStringLiteral("Connect"), this), QStringLiteral("btnOpen"),
                    120, 1560, 1335, 375);
    chkConnectK3 = place(new QCheckBox(QStringLiteral("Auto Connect"), this),
                         QStringLiteral("chkConnectK3"), 120, 2040, 1395, 255);
}

PollingControls::PollingControls(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PollingControls"));
    auto *label = place(new QLabel(QStringLiteral("Polling (ms)"), this), QStringLiteral("lblPoll"),
                        0, 0, 840, 285);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    txtPOLL = place(new QLineEdit(QStringLiteral("250"), this), QStringLiteral("txtPOLL"), 840, 0,
                    480, 285);
    VScrollPoll =
        place(new QScrollBar(Qt::Vertical, this), QStringLiteral("VScrollPoll"), 1320, 0, 255, 315);
    VScrollPoll->setRange(100, 5000);
    VScrollPoll->setSingleStep(50);
    VScrollPoll->setPageStep(50);
    // The polling timer's own interval stays 200 ms until the bar or config.ini moves it.
    VScrollPoll->setValue(250);
}

AppPortFrame::AppPortFrame(int n, QWidget *parent)
    : QGroupBox(QStringLiteral("Virtual Com Port #%1").arg(n), parent), number(n)
{
    setObjectName(QStringLiteral("AppPortFrame%1").arg(n));
    const QString suffix = n == 1 ? QString() : QString::number(n);
    btnCreatePort = place(new QPushButton(QStringLiteral("Connect"), this),
                          QStringLiteral("btnCreatePort") + suffix, 120, 600, 1335, 345);
    ComboVPort =
        place(editableCombo(this), QStringLiteral("ComboVPort%1").arg(n), 120, 240, 1335, 315);
    ComboVPort->setEditText(QStringLiteral("COM%1").arg(10 + n));
    chkConnect = place(new QCheckBox(QStringLiteral("Auto Connect"), this),
                       QStringLiteral("chkConnect%1").arg(n), 120, 1000, 1395, 255);
    chkAI1 = place(new QCheckBox(QStringLiteral("AI1"), this),
                   QStringLiteral("chkAI%1").arg(2 * n - 1), 120, 1270, 660, 255);
    chkAI2 = place(new QCheckBox(QStringLiteral("AI2"), this), QStringLiteral("chkAI%1").arg(2 * n),
                   780, 1270, 660, 255);
    chkLaunch = place(new QCheckBox(QStringLiteral("Auto Launch"), this),
                      QStringLiteral("chkLaunch%1").arg(n), 120, 1540, 1395, 255);
    place(new QLabel(QStringLiteral("Pgm"), this), QStringLiteral("lblPgm%1").arg(n), 120, 1860,
          375, 285);
    txtAppName = place(new QLineEdit(QStringLiteral("Enter Name"), this),
                       QStringLiteral("txtAppName%1").arg(n), 480, 1860, 1035, 285);
}

SdrPortFrame::SdrPortFrame(QWidget *parent) : QGroupBox(QStringLiteral("SDR Port"), parent)
{
    setObjectName(QStringLiteral("SdrPortFrame"));
    ComboVPort7 = place(editableCombo(this), QStringLiteral("ComboVPort7"), 120, 300, 1095, 315);
    ComboVPort7->setEditText(QStringLiteral("COM99"));
    btnCreatePort7 = place(new QPushButton(QStringLiteral("Connect"), this),
                           QStringLiteral("btnCreatePort7"), 120, 720, 1095, 375);
    chkConnect7 = place(new QCheckBox(QStringLiteral("Auto Connect"), this),
                        QStringLiteral("chkConnect7"), 120, 1200, 1175, 255);
    auto *label = place(new QLabel(QStringLiteral("For panadapter programs"), this),
                        QStringLiteral("lblSdr"), 120, 1560, 1095, 600);
    label->setWordWrap(true);
}

OutputPortFrame::OutputPortFrame(int n, QWidget *parent)
    : QGroupBox(QStringLiteral("Output Com Port %1").arg(n), parent)
{
    setObjectName(QStringLiteral("OutputPortFrame%1").arg(n));
    ComboPort =
        place(editableCombo(this), QStringLiteral("ComboPort%1").arg(n + 1), 240, 360, 975, 315);
    ComboPort->setEditText(QStringLiteral("COM1"));
    cbBaud =
        place(new QComboBox(this), n == 1 ? QStringLiteral("Combo2") : QStringLiteral("Combo6"),
              240, 840, 975, 315);
    cbBaud->addItems({QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200"),
                      QStringLiteral("38400")});
    btnOpen = place(new QPushButton(QStringLiteral("Connect"), this),
                    QStringLiteral("btnOpen%1").arg(n + 1), 240, 1320, 975, 375);
    chkConnect = place(new QCheckBox(QStringLiteral("Auto Connect"), this),
                       QStringLiteral("chkConnectOut%1").arg(n), 120, 1800, 1275, 255);
}
