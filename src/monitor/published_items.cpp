#include "monitor/published_items.h"

PublishedItems::PublishedItems(QObject *parent) : QObject(parent) {}

void PublishedItems::setTransmitIndicator(const QString &text)
{
    if (text == m_ovxTx)
        return;
    m_ovxTx = text;
    emit transmitIndicatorChanged(text);
}

void PublishedItems::setText8(const QByteArray &reply)
{
    const QString text = QString::fromLatin1(reply);
    if (text == m_text8)
        return;
    m_text8 = text;
    emit text8Changed(text);
}

void PublishedItems::setTrxLink(const QString &text)
{
    m_trxLink = text;
    emit trxLinkChanged(text);
}
