#pragma once

#include <QObject>
#include <QString>

// The items other desktop programs follow: the transmit indicator, the rig's last FA reply, and
// the CAT text they hand to the rig.
class PublishedItems : public QObject {
    Q_OBJECT
public:
    explicit PublishedItems(QObject *parent = nullptr);

    QString transmitIndicator() const { return m_ovxTx; } // OVX_TX: "On", "Off" or empty
    bool transmitting() const { return m_ovxTx == QLatin1String("On"); }
    QString text8() const { return m_text8; }
    QString trxLink() const { return m_trxLink; }

    void setTransmitIndicator(const QString &text);
    void setText8(const QByteArray &reply);
    // A poke from a client: every change goes to the rig unchanged.
    void setTrxLink(const QString &text);

signals:
    void transmitIndicatorChanged(const QString &text);
    void text8Changed(const QString &text);
    void trxLinkChanged(const QString &text);

private:
    QString m_ovxTx;
    QString m_text8 = QStringLiteral("Text8");
    QString m_trxLink;
};
