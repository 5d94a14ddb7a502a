#include "rig/cat_dialect.h"

namespace {

QByteArrayView view(std::string_view s)
{
    return QByteArrayView(s.data(), qsizetype(s.size()));
}

// Whether the parameters of a command fit a read's form.
bool fits(QByteArrayView parameters, std::string_view form)
{
    if (parameters.size() != qsizetype(form.size()))
        return false;
    for (std::size_t i = 0; i < form.size(); ++i) {
        const char c = parameters[qsizetype(i)];
        const bool digit = c >= '0' && c <= '9';
        const bool ok = form[i] == '#'   ? digit
                        : form[i] == '.' ? digit || (c >= 'A' && c <= 'Z')
                                         : c == form[i];
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

bool isRead(const CatDialect &dialect, const QByteArray &command, const QByteArray &idReply)
{
    if (command.size() < 3 || !command.endsWith(';'))
        return false;
    const QByteArrayView body = QByteArrayView(command).chopped(1);
    for (const ReadForm &form : dialect.reads) {
        if (body.startsWith(view(form.mnemonic)) &&
            fits(body.sliced(qsizetype(form.mnemonic.size())), form.parameters) &&
            idReply.startsWith(view(form.radio)))
            return true;
    }
    return false;
}

const SettingEffect *effectOf(const CatDialect &dialect, const QByteArray &setting)
{
    for (const SettingEffect &effect : dialect.effects) {
        // A setting carries a value ("MD;" alone changes nothing), except an action written
        // whole in the table ("TX;").
        const bool whole = effect.prefix.ends_with(';');
        if (whole ? setting == view(effect.prefix)
                  : setting.startsWith(view(effect.prefix)) &&
                        setting.size() > qsizetype(effect.prefix.size()) + 1)
            return &effect;
    }
    return nullptr;
}

QByteArray mergeKeyOf(const CatDialect &dialect, const QByteArray &setting)
{
    for (const MergeKey &key : dialect.mergeKeys) {
        if (setting.startsWith(view(key.prefix)) && setting.size() > key.keyLength + 1)
            return setting.left(key.keyLength);
    }
    return {};
}

bool answers(const QByteArray &reply, const QByteArray &read)
{
    const QByteArrayView key = QByteArrayView(read).chopped(1);
    if (!reply.startsWith(key) || reply.size() <= key.size())
        return false;
    // "FW$0240;" begins with "FW" too, but answers only "FW$;".
    return !(key.size() == 2 && reply.at(2) == '$');
}

std::optional<bool> transmitState(const CatDialect &dialect, Entry entry, const QByteArray &reply)
{
    for (const TransmitColumn &column : dialect.transmit) {
        if (column.entry == entry)
            return reply.size() > column.at + 1 ? std::optional(reply.at(column.at) != '0')
                                                : std::nullopt;
    }
    return std::nullopt;
}

namespace {

// The text with the prefix `from` in place of `to`; empty when it does not begin with `from`.
QByteArray swapPrefix(const QByteArray &text, std::string_view from, std::string_view to)
{
    return text.startsWith(view(from))
               ? QByteArray(to.data(), qsizetype(to.size())) + text.mid(qsizetype(from.size()))
               : QByteArray();
}

} // namespace

QByteArray reportOf(const CatDialect &dialect, const QByteArray &reply)
{
    for (const ReportAlias &alias : dialect.reports) {
        if (const QByteArray report = swapPrefix(reply, alias.reply, alias.report);
            !report.isEmpty())
            return report;
    }
    return reply;
}

QByteArray replyOf(const CatDialect &dialect, const QByteArray &report)
{
    for (const ReportAlias &alias : dialect.reports) {
        if (const QByteArray reply = swapPrefix(report, alias.report, alias.reply);
            !reply.isEmpty())
            return reply;
    }
    return {};
}
