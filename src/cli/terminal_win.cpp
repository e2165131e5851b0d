// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal.h"

#include "interrupt.h"
#include "terminaltext.h"

#include <io.h>
#include <windows.h>

namespace {

constexpr int DefaultWidth = 80;

HANDLE handleOf(int fd)
{
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the C runtime gives the handle as an integer
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

} // namespace

// A console takes the text as UTF-16; a pipe or a file gets UTF-8.
void Terminal::writeError(const QString &text)
{
    const HANDLE handle = handleOf(StandardError);
    DWORD written = 0;
    if (isConsole(handle)) {
        const std::wstring wide = text.toStdWString();
        WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &written, nullptr);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    WriteFile(handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
}

void Terminal::showError(const QString &message)
{
    writeError(QLatin1String("tallywick-cli: ") + TerminalText::messageLine(message) +
               QLatin1Char('\n'));
}

// The C runtime keeps descriptors 0 to 2 for the standard streams, open or
// not: a file opened later never takes their place.
bool Terminal::fillClosedStandardStreams()
{
    return true;
}

bool Terminal::isTerminal(int fd)
{
    return isConsole(handleOf(fd));
}

// A process has at most one console.
bool Terminal::sameTerminal(int fd, int otherFd)
{
    return isTerminal(fd) && isTerminal(otherFd);
}

int Terminal::width(int fd)
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(handleOf(fd), &info))
        return DefaultWidth;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

// One byte at a time, so that what follows the line stays for the next
// question. Ctrl-C aborts a read of the console.
Terminal::ReadResult Terminal::readLine(QByteArray &line)
{
    const HANDLE input = handleOf(StandardInput);
    line.clear();
    for (;;) {
        if (!Interrupt::waitForInput(StandardInput))
            return ReadResult::Interrupted;
        char c = 0;
        DWORD count = 0;
        if (!ReadFile(input, &c, 1, &count, nullptr) || count == 0) {
            if (GetLastError() == ERROR_OPERATION_ABORTED || Interrupt::pendingSignal() != 0)
                return ReadResult::Interrupted;
            return line.isEmpty() ? ReadResult::EndOfInput : ReadResult::Line;
        }
        if (c == '\n')
            break;
        line += c;
    }
    if (line.endsWith('\r'))
        line.chop(1);
    return ReadResult::Line;
}
