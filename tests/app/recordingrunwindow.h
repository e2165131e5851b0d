#pragma once

#include "runwindow.h"

#include <QStringList>

// The window as a run sees it, recording what the run does to it.
class RecordingRunWindow : public RunWindow
{
public:
    QString botOKCaption() const override { return caption; }
    void setBotOKCaption(const QString &text) override
    {
        caption = text;
        calls << QStringLiteral("caption ") + text;
    }
    void setControlEnabled(RunLockControl control, bool enabled) override
    {
        calls
            << QStringLiteral("%1 %2").arg(int(control)).arg(QLatin1String(enabled ? "on" : "off"));
    }
    CategorySwitches categorySwitches() const override { return {}; }
    void runStateChanged() override {}

    QString caption = QStringLiteral("&Create");
    QStringList calls;
};
