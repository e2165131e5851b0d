// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal.h"

#include "interrupt.h"
#include "terminaltext.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int DefaultWidth = 80;

} // namespace

void Terminal::writeError(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void Terminal::showError(const QString &message)
{
    writeError(QLatin1String("tallywick-cli: ") + TerminalText::messageLine(message) +
               QLatin1Char('\n'));
}

bool Terminal::fillClosedStandardStreams()
{
    for (const int fd : {StandardInput, StandardOutput, StandardError}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor: this one, as those below it are open.
        const int opened = ::open("/dev/null", fd == StandardInput ? O_RDONLY : O_WRONLY);
        if (opened != fd) {
            if (opened >= 0)
                ::close(opened);
            return false;
        }
    }
    return true;
}

bool Terminal::isTerminal(int fd)
{
    return ::isatty(fd) == 1;
}

bool Terminal::sameTerminal(int fd, int otherFd)
{
    struct stat one, other;
    return isTerminal(fd) && isTerminal(otherFd) && ::fstat(fd, &one) == 0 &&
           ::fstat(otherFd, &other) == 0 && one.st_rdev == other.st_rdev;
}

int Terminal::width(int fd)
{
    winsize size = {};
    if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return DefaultWidth;
    return size.ws_col;
}

// One byte at a time, so that what follows the line stays for the next
// question, whoever reads standard input next.
Terminal::ReadResult Terminal::readLine(QByteArray &line)
{
    line.clear();
    for (;;) {
        if (!Interrupt::waitForInput(StandardInput))
            return ReadResult::Interrupted;
        char c = 0;
        const ssize_t count = ::read(StandardInput, &c, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return line.isEmpty() ? ReadResult::EndOfInput : ReadResult::Line;
        if (c == '\n')
            break;
        line += c;
    }
    if (line.endsWith('\r'))
        line.chop(1);
    return ReadResult::Line;
}
