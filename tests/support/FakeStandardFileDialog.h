#pragma once

#include "platform/StandardFileDialog.h"

#include <QList>
#include <QStringList>

// A standard dialog that remembers what it was shown with and answers from a
// prepared list: a path is chosen, an empty entry (or an exhausted list)
// cancels. A cancel empties FileName, as the real dialog does.
class FakeStandardFileDialog : public StandardFileDialog
{
public:
    struct Shown {
        QString method; // "ShowOpen" or "ShowSave"
        QString fileName;
        QString initDir;
        QString defaultExt;
        QString dialogTitle;
        bool cancelError = true;
        QString filter;
        QWidget* owner = nullptr;
    };

    QStringList answers;
    QList<Shown> shown;

    void ShowOpen(QWidget* owner) override { show(QStringLiteral("ShowOpen"), owner); }
    void ShowSave(QWidget* owner) override { show(QStringLiteral("ShowSave"), owner); }

private:
    void show(const QString& method, QWidget* owner)
    {
        shown.append({method, FileName, InitDir, DefaultExt, DialogTitle, CancelError, Filter, owner});
        FileName = answers.isEmpty() ? QString() : answers.takeFirst();
    }
};
