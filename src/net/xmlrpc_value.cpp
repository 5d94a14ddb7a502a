#include "net/xmlrpc_value.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>
#include <limits>

namespace {

using Token = QXmlStreamReader::TokenType;

constexpr qsizetype kShown = 160; // characters of a value shown in the terminal

// The next start or end tag, past whitespace, comments and processing instructions (Hamlib sends
// <?clientid=...?>). Anything else is an error: text between tags, or a document type
// declaration, which could declare entities that expand without bound.
Token nextTag(QXmlStreamReader &r, QString &error)
{
    while (!r.atEnd()) {
        switch (r.readNext()) {
        case Token::StartElement:
        case Token::EndElement:
            return r.tokenType();
        case Token::Characters:
            if (r.isWhitespace())
                continue;
            error = QStringLiteral("text \"%1\" where an element belongs").arg(r.text().left(20));
            return Token::Invalid;
        case Token::DTD:
            error = QStringLiteral("a document type declaration is not taken");
            return Token::Invalid;
        case Token::Invalid:
            error = r.errorString();
            return Token::Invalid;
        default:
            continue;
        }
    }
    error = r.hasError() ? r.errorString() : QStringLiteral("the document ends early");
    return Token::Invalid;
}

bool expectStart(QXmlStreamReader &r, QLatin1StringView name, QString &error)
{
    if (nextTag(r, error) == Token::StartElement && r.name() == name)
        return true;
    if (error.isEmpty())
        error = QStringLiteral("<%1> expected, not <%2%3>")
                    .arg(name, r.isEndElement() ? QStringLiteral("/") : QString(), r.name());
    return false;
}

bool expectEnd(QXmlStreamReader &r, QString &error)
{
    if (nextTag(r, error) == Token::EndElement)
        return true;
    if (error.isEmpty())
        error = QStringLiteral("<%1> where an end tag belongs").arg(r.name());
    return false;
}

// The text of a scalar's element, through its end tag.
std::optional<QString> elementText(QXmlStreamReader &r, QString &error)
{
    const QString text = r.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    if (r.hasError()) {
        error = r.errorString();
        return std::nullopt;
    }
    return text;
}

std::optional<XmlRpcValue> readScalar(QXmlStreamReader &r, QString &error)
{
    const QString tag = r.name().toString();
    const std::optional<QString> raw = elementText(r, error);
    if (!raw)
        return std::nullopt;
    const QString text = raw->trimmed();
    XmlRpcValue v;
    bool ok = true;
    if (tag == QLatin1String("i4") || tag == QLatin1String("int")) {
        v.type = XmlRpcValue::Type::Int;
        v.number = text.toLongLong(&ok);
        ok = ok && v.number >= std::numeric_limits<qint32>::min() &&
             v.number <= std::numeric_limits<qint32>::max();
    } else if (tag == QLatin1String("boolean")) {
        v.type = XmlRpcValue::Type::Bool;
        ok = text == QLatin1String("0") || text == QLatin1String("1");
        v.number = text == QLatin1String("1");
    } else if (tag == QLatin1String("double")) {
        v.type = XmlRpcValue::Type::Double;
        v.real = text.toDouble(&ok);
        ok = ok && std::isfinite(v.real);
    } else if (tag == QLatin1String("string")) {
        v.text = *raw;
    } else if (tag == QLatin1String("base64")) {
        v.type = XmlRpcValue::Type::Base64;
        v.text = text;
    } else if (tag == QLatin1String("dateTime.iso8601")) {
        v.type = XmlRpcValue::Type::DateTime;
        v.text = text;
    } else if (tag == QLatin1String("nil")) {
        v.type = XmlRpcValue::Type::Nil;
        ok = text.isEmpty();
    } else {
        error = QStringLiteral("<%1> is no XML-RPC type").arg(tag);
        return std::nullopt;
    }
    if (!ok) {
        error = QStringLiteral("\"%1\" is no <%2>").arg(text.left(20), tag);
        return std::nullopt;
    }
    return v;
}

std::optional<XmlRpcValue> readArray(QXmlStreamReader &r, QString &error, int depth)
{
    if (!expectStart(r, QLatin1StringView("data"), error))
        return std::nullopt;
    XmlRpcValue v;
    v.type = XmlRpcValue::Type::Array;
    while (nextTag(r, error) == Token::StartElement) {
        if (r.name() != QLatin1String("value")) {
            error = QStringLiteral("<%1> inside <data>").arg(r.name());
            return std::nullopt;
        }
        std::optional<XmlRpcValue> item = xmlrpc::readValue(r, error, depth + 1);
        if (!item)
            return std::nullopt;
        v.items.push_back(std::move(*item));
    }
    if (!error.isEmpty() || !expectEnd(r, error))
        return std::nullopt;
    return v;
}

std::optional<XmlRpcValue> readStruct(QXmlStreamReader &r, QString &error, int depth)
{
    XmlRpcValue v;
    v.type = XmlRpcValue::Type::Struct;
    while (nextTag(r, error) == Token::StartElement) {
        if (r.name() != QLatin1String("member") ||
            !expectStart(r, QLatin1StringView("name"), error)) {
            if (error.isEmpty())
                error = QStringLiteral("<%1> inside <struct>").arg(r.name());
            return std::nullopt;
        }
        const std::optional<QString> name = elementText(r, error);
        if (!name || !expectStart(r, QLatin1StringView("value"), error))
            return std::nullopt;
        std::optional<XmlRpcValue> member = xmlrpc::readValue(r, error, depth + 1);
        if (!member || !expectEnd(r, error))
            return std::nullopt;
        v.members.emplace_back(*name, std::move(*member));
    }
    if (!error.isEmpty())
        return std::nullopt;
    return v;
}

// Text as XML 1.0 can carry it: characters it cannot (most control characters) become U+FFFD.
QString xmlSafe(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF)
            c = QChar(0xFFFD);
    }
    return out;
}

void write(QXmlStreamWriter &w, const XmlRpcValue &v)
{
    w.writeStartElement(QStringLiteral("value"));
    switch (v.type) {
    case XmlRpcValue::Type::String:
        w.writeCharacters(xmlSafe(v.text)); // an empty string as <value></value>, not <value/>
        break;
    case XmlRpcValue::Type::Int:
        w.writeTextElement(QStringLiteral("i4"), QString::number(v.number));
        break;
    case XmlRpcValue::Type::Bool:
        w.writeTextElement(QStringLiteral("boolean"), QString::number(v.number ? 1 : 0));
        break;
    case XmlRpcValue::Type::Double:
        w.writeTextElement(QStringLiteral("double"), QString::number(v.real, 'f', 6));
        break;
    case XmlRpcValue::Type::Array:
        w.writeStartElement(QStringLiteral("array"));
        w.writeStartElement(QStringLiteral("data"));
        for (const XmlRpcValue &item : v.items)
            write(w, item);
        w.writeEndElement();
        w.writeEndElement();
        break;
    case XmlRpcValue::Type::Struct:
        w.writeStartElement(QStringLiteral("struct"));
        for (const auto &[name, member] : v.members) {
            w.writeStartElement(QStringLiteral("member"));
            w.writeTextElement(QStringLiteral("name"), xmlSafe(name));
            write(w, member);
            w.writeEndElement();
        }
        w.writeEndElement();
        break;
    case XmlRpcValue::Type::Base64:
        w.writeTextElement(QStringLiteral("base64"), xmlSafe(v.text));
        break;
    case XmlRpcValue::Type::DateTime:
        w.writeTextElement(QStringLiteral("dateTime.iso8601"), xmlSafe(v.text));
        break;
    case XmlRpcValue::Type::Nil:
        w.writeEmptyElement(QStringLiteral("nil"));
        break;
    }
    w.writeEndElement();
}

QByteArray document(const XmlRpcValue &v, bool fault)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("methodResponse"));
    if (fault) {
        w.writeStartElement(QStringLiteral("fault"));
        write(w, v);
    } else {
        w.writeStartElement(QStringLiteral("params"));
        w.writeStartElement(QStringLiteral("param"));
        write(w, v);
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument(); // and a newline
    return out;
}

QString shownText(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

} // namespace

XmlRpcValue XmlRpcValue::string(const QString &text)
{
    XmlRpcValue v;
    v.text = text;
    return v;
}

XmlRpcValue XmlRpcValue::integer(qint64 number)
{
    XmlRpcValue v;
    v.type = Type::Int;
    v.number = number;
    return v;
}

XmlRpcValue XmlRpcValue::array(std::vector<XmlRpcValue> items)
{
    XmlRpcValue v;
    v.type = Type::Array;
    v.items = std::move(items);
    return v;
}

XmlRpcValue XmlRpcValue::structure(std::vector<std::pair<QString, XmlRpcValue>> members)
{
    XmlRpcValue v;
    v.type = Type::Struct;
    v.members = std::move(members);
    return v;
}

namespace xmlrpc {

std::optional<XmlRpcValue> readValue(QXmlStreamReader &r, QString &error, int depth)
{
    // <value>text</value> is a string; otherwise one typed element, whitespace around it.
    QString text;
    std::optional<XmlRpcValue> typed;
    while (!r.atEnd()) {
        switch (r.readNext()) {
        case Token::Characters:
            if (typed && !r.isWhitespace()) {
                error = QStringLiteral("text after a typed value");
                return std::nullopt;
            }
            text += r.text();
            break;
        case Token::StartElement:
            if (typed || !text.trimmed().isEmpty()) {
                error = QStringLiteral("a <value> holds one value");
                return std::nullopt;
            }
            if (r.name() == QLatin1String("array") || r.name() == QLatin1String("struct")) {
                if (depth >= kMaxDepth) {
                    error = QStringLiteral("values nested more than %1 deep").arg(kMaxDepth);
                    return std::nullopt;
                }
                typed = r.name() == QLatin1String("array") ? readArray(r, error, depth)
                                                           : readStruct(r, error, depth);
            } else {
                typed = readScalar(r, error);
            }
            if (!typed)
                return std::nullopt;
            break;
        case Token::EndElement:
            return typed ? std::move(*typed) : XmlRpcValue::string(text);
        case Token::Invalid:
            error = r.errorString();
            return std::nullopt;
        case Token::DTD:
            error = QStringLiteral("a document type declaration is not taken");
            return std::nullopt;
        default:
            break;
        }
    }
    error = r.hasError() ? r.errorString() : QStringLiteral("the document ends inside a value");
    return std::nullopt;
}

std::optional<XmlRpcCall> parseCall(QByteArrayView body, QString &error)
{
    // Hamlib's FLRig backend and fldigi write <?clientid="hamlib(4532)"?> after the XML
    // declaration, which XML does not allow (a processing instruction's target followed by '=');
    // flrig skips it, and so is it taken out here before the body is read.
    QByteArray text = body.toByteArray();
    const qsizetype root = text.indexOf("<methodCall");
    const qsizetype id = text.indexOf("<?clientid=");
    if (id >= 0 && id < root)
        text.remove(id, text.indexOf("?>", id) + 2 - id);
    QXmlStreamReader r(text);
    error.clear();
    if (!expectStart(r, QLatin1StringView("methodCall"), error))
        return std::nullopt;
    XmlRpcCall call;
    bool named = false;
    while (nextTag(r, error) == Token::StartElement) {
        if (r.name() == QLatin1String("methodName") && !named) {
            const std::optional<QString> name = elementText(r, error);
            if (!name)
                return std::nullopt;
            call.method = name->trimmed();
            named = true;
        } else if (r.name() == QLatin1String("params") && call.params.empty()) {
            while (nextTag(r, error) == Token::StartElement) {
                if (r.name() != QLatin1String("param") ||
                    !expectStart(r, QLatin1StringView("value"), error)) {
                    if (error.isEmpty())
                        error = QStringLiteral("<%1> inside <params>").arg(r.name());
                    return std::nullopt;
                }
                std::optional<XmlRpcValue> param = readValue(r, error);
                if (!param || !expectEnd(r, error))
                    return std::nullopt;
                call.params.push_back(std::move(*param));
            }
            if (!error.isEmpty())
                return std::nullopt;
        } else {
            error = QStringLiteral("<%1> inside <methodCall>").arg(r.name());
            return std::nullopt;
        }
    }
    if (!error.isEmpty())
        return std::nullopt;
    while (!r.atEnd()) {
        if (r.readNext() == Token::StartElement || r.tokenType() == Token::DTD ||
            (r.isCharacters() && !r.isWhitespace())) {
            error = QStringLiteral("content after </methodCall>");
            return std::nullopt;
        }
    }
    if (r.hasError()) {
        error = r.errorString();
        return std::nullopt;
    }
    if (call.method.isEmpty()) {
        error = QStringLiteral("the call names no method");
        return std::nullopt;
    }
    return call;
}

QByteArray responseBody(const XmlRpcValue &result)
{
    return document(result, false);
}

QByteArray faultBody(int code, const QString &message)
{
    return document(
        XmlRpcValue::structure({{QStringLiteral("faultCode"), XmlRpcValue::integer(code)},
                                {QStringLiteral("faultString"), XmlRpcValue::string(message)}}),
        true);
}

QString shown(const XmlRpcValue &v)
{
    QString out;
    switch (v.type) {
    case XmlRpcValue::Type::String:
        out = v.text.isEmpty() ? QStringLiteral("\"\"") : shownText(v.text);
        break;
    case XmlRpcValue::Type::Int:
    case XmlRpcValue::Type::Bool:
        out = QString::number(v.number);
        break;
    case XmlRpcValue::Type::Double:
        out = QString::number(v.real, 'g', 15);
        break;
    case XmlRpcValue::Type::Array: {
        QStringList items;
        for (const XmlRpcValue &item : v.items)
            items << shown(item);
        out = QLatin1Char('[') + items.join(QLatin1String(", ")) + QLatin1Char(']');
        break;
    }
    case XmlRpcValue::Type::Struct: {
        QStringList members;
        for (const auto &[name, member] : v.members)
            members << name + QLatin1String(": ") + shown(member);
        out = QLatin1Char('{') + members.join(QLatin1String(", ")) + QLatin1Char('}');
        break;
    }
    case XmlRpcValue::Type::Base64:
    case XmlRpcValue::Type::DateTime:
        out = shownText(v.text);
        break;
    case XmlRpcValue::Type::Nil:
        out = QStringLiteral("nil");
        break;
    }
    if (out.size() > kShown)
        out = out.left(kShown) + QStringLiteral("... (%1 characters)").arg(out.size());
    return out;
}

} // namespace xmlrpc
