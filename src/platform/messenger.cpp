#include "platform/messenger.h"

#include <cstdio>

bool StderrMessenger::show(const Message &message)
{
    // One line: a message box's line breaks are for its layout.
    QString text = message.text;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    std::fprintf(stderr, "OVX2: %s\n", qPrintable(text.simplified()));
    std::fflush(stderr);
    return m_answer;
}
