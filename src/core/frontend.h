// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Button sets and icons of a message box, with the classic flag words.
enum class MessageStyle {
    Plain = 0,                // OK, no icon
    Critical = 16,            // OK, critical icon
    YesNoCancelQuestion = 35, // Yes, No and Cancel, question icon
    YesNoQuestion = 36,       // Yes and No, question icon
};

// The button that closed a message box.
enum class MessageAnswer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// Why a catalogue leaves a directory out, with everything below it.
enum class LeftOutReason {
    Unreadable, // the user may not open or read it
    LaterDisk,  // its path names a later disk of a multi-disk package
};

// What the engine asks of the program that drives it: the window, the
// command line, or a test with scripted answers.
class FrontEnd
{
public:
    virtual ~FrontEnd();

    // Handles every pending event, then returns. The walk calls it once at
    // the start of every directory; a Cancel reaches the walk only here.
    virtual void pumpEvents() = 0;

    // Called at every entry of the long loops inside one directory (its file
    // lines, its classification), so that a front end can keep answering
    // input in a directory of many files. It must stay cheap: a front end
    // pumps here only when it is due, after a clock or counter check. A
    // Cancel handled here stops the loop before its next entry.
    virtual void pumpEventsWhileBusy() {}

    // A modal message. An empty title stands for the application's title.
    virtual MessageAnswer messageBox(const QString &prompt, MessageStyle style,
                                     const QString &title = QString()) = 0;

    // Ends the program: open files are closed, windows go away. A front end
    // that cannot stop the process from here returns, and the engine then
    // unwinds to the front end by throwing ProgramEnded.
    virtual void endProgram() = 0;
    // The walk leaves the directory `path` out and goes on: one the user may
    // not read (`error` says why, an errno value), or the top of a subtree on
    // a later disk of a package (`error` 0). Called once for each, as the
    // walk meets it.
    virtual void directoryLeftOut(const QByteArray & /*path*/, LeftOutReason /*reason*/,
                                  int /*error*/)
    {}
};

// Thrown by the engine after FrontEnd::endProgram() has returned.
struct ProgramEnded
{};
