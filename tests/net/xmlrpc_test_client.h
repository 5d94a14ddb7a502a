#pragma once

#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>

#include <optional>

// A raw HTTP client of the XML-RPC door for tests: requests go out as bytes, as a station program
// or a browser writes them, and answers are taken apart with a few string operations.
namespace xmlrpc_test {

// A call's body; each parameter is the inner XML of its <value> ("<double>7040000</double>").
inline QByteArray call(const QByteArray &method, const QByteArrayList &params = {})
{
    QByteArray body = "<?xml version=\"1.0\"?>\r\n<?clientid=\"test\"?>\r\n<methodCall>"
                      "<methodName>" +
                      method + "</methodName><params>";
    for (const QByteArray &p : params)
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
    QByteArray head;
    QByteArray body;
};

// An answer's value as the XML between <param> and </param>, or "fault: " and its faultString.
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
    const qsizetype from = body.indexOf("<param>") + 7;
    return body.mid(from, body.indexOf("</param>") - from);
}

class Client {
public:
    bool connectTo(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(5000);
    }
    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    // The next whole answer, once it has come.
    std::optional<Reply> next()
    {
        buffer += socket.readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
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
    // Waits for the next answer (not with QTRY_*, which would take it twice); status 0 when
    // none came.
    Reply await(int timeoutMs = 5000)
    {
        std::optional<Reply> r;
        (void)QTest::qWaitFor([&] { return (r = next()).has_value(); }, timeoutMs);
        return r.value_or(Reply{});
    }
    Reply ask(const QByteArray &request)
    {
        send(request);
        return await();
    }

    QTcpSocket socket;
    QByteArray buffer;
};

} // namespace xmlrpc_test
