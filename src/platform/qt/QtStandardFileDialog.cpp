#include "platform/qt/QtStandardFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

void QtStandardFileDialog::ShowOpen(QWidget* owner)
{
    show(owner, false);
}

void QtStandardFileDialog::ShowSave(QWidget* owner)
{
    show(owner, true);
}

QStringList QtStandardFileDialog::qtNameFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts.at(i);
        QString pattern = parts.at(i + 1);
        if (description.isEmpty() && pattern.isEmpty())
            continue; // the closing "||"
        pattern.replace(u';', u' ');
        const QString bracketed = QStringLiteral("(%1)").arg(pattern);
        if (description.endsWith(bracketed))
            result.append(description);
        else if (description.isEmpty())
            result.append(bracketed);
        else
            result.append(QStringLiteral("%1 %2").arg(description, bracketed));
    }
    return result;
}

void QtStandardFileDialog::show(QWidget* owner, bool save)
{
    QFileDialog dialog(owner, DialogTitle);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // The program asks nothing before replacing a file: the save itself keeps
    // the old file intact until the new one is complete.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name goes through, one that is not there too: reading it fails with
    // the program's own message, not with a question of Qt's.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowModality(Qt::ApplicationModal);

    const QStringList filters = qtNameFilters(Filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);

    // A folder that is not there (the floppy finder's "A:" when no removable
    // volume is mounted) leaves the dialog where Qt opens it by default; a
    // relative name would otherwise be taken from the working directory.
    const QFileInfo folder(InitDir);
    if (!InitDir.isEmpty() && folder.isAbsolute() && folder.isDir())
        dialog.setDirectory(InitDir);

    dialog.setDefaultSuffix(DefaultExt);
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);

    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    // A cancelled dialog answers nothing, also when a name had been proposed.
    FileName = chosen ? dialog.selectedFiles().constFirst() : QString();
}
