#pragma once

#include "rigctl_test_client.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <optional>

// A raw HTTP client of the XML-RPC door: requests go out as bytes, as a station program or a
// browser writes them, and answers are taken apart with a few string operations.
namespace xmlrpc_test {

// A call's body from "method param param": each parameter the inner XML of its <value>.
inline QByteArray call(const QByteArray &text)
{
    QByteArrayList words = text.split(' ');
    QByteArray body =
        "<?xml version=\"1.0\"?>\r\n<?clientid=\"test\"?>\r\n<methodCall><methodName>" +
        words.takeFirst() + "</methodName><params>";
    for (const QByteArray &p : words)
        body += "<param><value>" + p + "</value></param>";
    return body + "</params></methodCall>\r\n";
}

// The request Hamlib's FLRig backend sends, with more headers after its own.
inline QByteArray post(const QByteArray &body, const QByteArray &more = {})
{
    return "POST /RPC2 HTTP/1.1\r\nUser-Agent: XMLRPC++ 0.8\r\nHost: 127.0.0.1:12345\r\n"
           "Content-type: text/xml\r\n" +
           more + "Content-length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

struct Reply {
    int status = 0;
    QByteArray head, body;
};

// An answer's value as the XML inside its <value>, or "fault: " and its faultString.
inline QByteArray valueOf(const QByteArray &body)
{
    const qsizetype fault = body.indexOf("faultString</name><value>");
    if (fault >= 0) {
        const qsizetype from = fault + 25;
        return "fault: " + body.mid(from, body.indexOf("</value>", from) - from)
                               .replace("&quot;", "\"")
                               .replace("&lt;", "<")
                               .replace("&gt;", ">")
                               .replace("&amp;", "&");
    }
    const qsizetype from = body.indexOf("<param><value>") + 14;
    return body.mid(from, body.lastIndexOf("</value></param>") - from);
}

class Client : public RigctlTestClient {
public:
    // The next whole answer, once it has come.
    std::optional<Reply> next()
    {
        const qsizetype end = received().indexOf("\r\n\r\n");
        static const QRegularExpression length(QStringLiteral("content-length: *(\\d+)"),
                                               QRegularExpression::CaseInsensitiveOption);
        const auto m = length.match(QString::fromLatin1(buffer.left(end)));
        if (end < 0 || !m.hasMatch() || buffer.size() < end + 4 + m.captured(1).toInt())
            return std::nullopt;
        Reply r{buffer.mid(9, 3).toInt(), buffer.left(end),
                buffer.mid(end + 4, m.captured(1).toInt())};
        buffer.remove(0, end + 4 + r.body.size());
        return r;
    }
    // Waits for the next answer (not with QTRY_*, which would take it twice), in 1 ms steps
    // rather than qWaitFor's 10; status 0 when none came.
    Reply await(int timeoutMs = 5000)
    {
        std::optional<Reply> r;
        QElapsedTimer clock;
        clock.start();
        while (!(r = next()) && clock.elapsed() < timeoutMs)
            QTest::qWait(1);
        return r.value_or(Reply{});
    }
    Reply ask(const QByteArray &request)
    {
        send(request);
        return await();
    }
    QByteArray value(const QByteArray &callText) { return valueOf(ask(post(call(callText))).body); }
};

} // namespace xmlrpc_test
