#pragma once

#include <QString>

class QWidget;

// The standard open/save dialog used when the accessible library fails. Like
// the common-dialog control it stands for, its properties keep whatever was
// last given to them; after ShowOpen/ShowSave an empty FileName means cancel.
class StandardFileDialog
{
public:
    virtual ~StandardFileDialog() = default;

    QString FileName;
    QString InitDir;
    QString DefaultExt;
    QString DialogTitle;
    bool CancelError = false;
    QString Filter; // "description|pattern" pairs separated by "|"

    virtual void ShowOpen(QWidget* owner) = 0;
    virtual void ShowSave(QWidget* owner) = 0;
};
