// One line per call, unbuffered, so that a journal or a terminal sees each as
// it happens; desktop sessions collect standard error in the user's journal.
// A reader that is gone or stalled must neither end the guard (SIGPIPE) nor
// hold it (a full pipe): a line that cannot go at once is dropped, and Qt's
// own messages take the same way. A standard error closed before the program
// started is reopened on /dev/null at start-up (LinuxPlatform.cpp).
#include "StderrLog.h"

#include <QString>

#include <cerrno>
#include <climits>
#include <csignal>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace cendrel {

namespace {

void writeLine(std::string text)
{
    // Larger writes to a pipe may go partly, then wait for room.
    if (text.size() >= PIPE_BUF)
        text.resize(PIPE_BUF - 1);
    text.push_back('\n');
    // A journal's stream is a socket, which can be asked not to wait.
    if (::send(STDERR_FILENO, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL) >= 0 || errno != ENOTSOCK)
        return;
    // A pipe or terminal with any room at all takes a line this short whole.
    pollfd entry{STDERR_FILENO, POLLOUT, 0};
    if (::poll(&entry, 1, 0) == 1 && (entry.revents & POLLOUT) != 0)
        (void)!::write(STDERR_FILENO, text.data(), text.size());
}

void writeQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    writeLine(qFormatLogMessage(type, context, message).toStdString());
}

} // namespace

StderrLog::StderrLog()
{
    std::signal(SIGPIPE, SIG_IGN);
    qInstallMessageHandler(writeQtMessage);
}

void StderrLog::log(std::string_view line)
{
    writeLine(std::string(line));
}

} // namespace cendrel
