#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class QXmlStreamReader;

// An XML-RPC value: a parameter of a call or the answer of a method.
struct XmlRpcValue {
    enum class Type { String, Int, Bool, Double, Array, Struct, Base64, DateTime, Nil };

    Type type = Type::String;
    QString text;                                         // String, Base64, DateTime
    qint64 number = 0;                                    // Int, Bool
    double real = 0;                                      // Double
    std::vector<XmlRpcValue> items;                       // Array
    std::vector<std::pair<QString, XmlRpcValue>> members; // Struct

    static XmlRpcValue string(const QString &text);
    static XmlRpcValue integer(qint64 number);
    static XmlRpcValue array(std::vector<XmlRpcValue> items);
    static XmlRpcValue structure(std::vector<std::pair<QString, XmlRpcValue>> members);

    friend bool operator==(const XmlRpcValue &, const XmlRpcValue &) = default;
};

struct XmlRpcCall {
    QString method;
    std::vector<XmlRpcValue> params;
};

namespace xmlrpc {

// Arrays and structs nest at most this deep in a call; a deeper value is refused before it is
// read any further.
inline constexpr int kMaxDepth = 16;

// The call a request's body holds; nullopt and error saying why when it holds none.
std::optional<XmlRpcCall> parseCall(QByteArrayView body, QString &error);
// Reads the <value> element the reader is at (its start tag just read) through its end tag.
std::optional<XmlRpcValue> readValue(QXmlStreamReader &reader, QString &error, int depth = 0);

// The body of an answer, and of a fault. Strings are written bare, <value>text</value>, as flrig
// writes them: Hamlib's FLRig backend would read "<string></string>" as a value "/string". The
// body ends with a newline, as Hamlib reads the answer line by line up to </methodResponse>.
QByteArray responseBody(const XmlRpcValue &result);
QByteArray faultBody(int code, const QString &message);

// A value for the terminal: 7040000, USB, [LSB, USB], {faultCode: -1, ...}.
QString shown(const XmlRpcValue &value);

} // namespace xmlrpc
