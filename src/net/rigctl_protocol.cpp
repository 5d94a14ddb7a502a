#include "net/rigctl_protocol.h"

#include <cctype>

namespace rigctl {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// rigctld takes any punctuation but these before a command as the extended form's separator.
bool isSeparator(char c)
{
    return std::ispunct(static_cast<unsigned char>(c)) && c != '\\' && c != '_' && c != '#' &&
           c != '(' && c != ')' && c != '+';
}

} // namespace

QList<Parsed> parseLine(QByteArrayView line)
{
    QList<Parsed> commands;
    qsizetype i = 0;
    const qsizetype n = line.size();
    auto skipSpace = [&] {
        while (i < n && isSpace(line[i]))
            ++i;
    };
    auto word = [&] {
        const qsizetype start = i;
        while (i < n && !isSpace(line[i]))
            ++i;
        return line.sliced(start, i - start).toByteArray();
    };
    for (skipSpace(); i < n; skipSpace()) {
        Parsed p;
        char c = line[i++];
        if (c == '+' || isSeparator(c)) {
            p.extended = true;
            p.separator = c == '+' ? '\n' : c;
            if (i == n)
                break; // a form with no command after it: nothing to answer
            c = line[i++];
        }
        if (c == '#')
            break; // a comment runs to the end of the line
        if (c == '\\') {
            p.name = word();
            p.command = findLong(p.name);
            p.name.prepend('\\');
        } else {
            p.name = QByteArray(1, c);
            p.quit = c == 'q' || c == 'Q';
            p.command = p.quit ? nullptr : findShort(c);
        }
        if (!p.command) { // quit, or a command not known
            commands.append(p);
            break;
        }
        for (int a = 0; a < p.command->maxArgs; ++a) {
            skipSpace();
            if (i == n)
                break;
            p.args.append(word());
        }
        p.missingArgs = p.args.size() < p.command->minArgs;
        commands.append(p);
    }
    return commands;
}

QByteArray formatAnswer(const Parsed &parsed, const Outcome &outcome)
{
    if (parsed.quit)
        return "RPRT 0\n";
    if (parsed.overlong)
        return "RPRT " + QByteArray::number(int(InvalidArgument)) + '\n';
    const Command *command = parsed.command;
    const unsigned flags = command ? command->flags : 0;
    const char sep = parsed.separator;
    QByteArray out;
    if (parsed.extended && command && !(flags & NoHeader)) {
        out += QByteArray(command->longName.data(), qsizetype(command->longName.size())) + ':';
        for (const QByteArray &arg : parsed.args)
            out += ' ' + arg;
        out += sep;
    }
    if (outcome.code != Ok || !command) {
        out += "RPRT " + QByteArray::number(command ? outcome.code : int(NotAvailable)) + '\n';
        return out;
    }
    out += outcome.block;
    for (qsizetype v = 0; v < outcome.values.size(); ++v) {
        if (parsed.extended && !(flags & Unlabelled)) {
            const std::string_view label = command->labels[std::size_t(v)];
            out += QByteArray(label.data(), qsizetype(label.size())) + ": ";
        }
        out += outcome.values[v] + ((flags & NewlineAfter) ? '\n' : sep);
    }
    if (parsed.extended) {
        if (!(flags & NoHeader))
            out += "RPRT 0\n";
        else if (sep != '\n')
            out += '\n'; // rigctld ends \chk_vfo's ';' form with one more newline
    } else if (!(flags & ArgOut)) {
        out += "RPRT 0\n";
    }
    return out;
}

} // namespace rigctl
