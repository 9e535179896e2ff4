#pragma once

#include "platform/StandardFileDialog.h"

#include <QList>
#include <QStringList>

// A standard dialog that remembers what it was shown with and answers from a
// prepared list: a path is chosen, an empty entry (or an exhausted list)
// cancels.
class FakeStandardFileDialog : public StandardFileDialog
{
public:
    struct Shown {
        QString method; // "ShowOpen" or "ShowSave"
        QString fileName;
        QString initDir;
        QString defaultExt;
        QString dialogTitle;
        QString filter;
        QWidget* owner = nullptr;
    };

    QStringList answers;
    QList<Shown> shown;

    std::optional<QString> show(const FileDialogRequest& request) override
    {
        shown.append({request.saveMode ? QStringLiteral("ShowSave") : QStringLiteral("ShowOpen"), request.fileName,
                      request.initDir, request.defaultExt, request.title, request.filter, owner()});
        const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
        if (answer.isEmpty())
            return std::nullopt;
        return answer;
    }
};
