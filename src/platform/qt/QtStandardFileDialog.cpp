#include "platform/qt/QtStandardFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

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

std::optional<QString> QtStandardFileDialog::show(const FileDialogRequest& request)
{
    QFileDialog dialog(owner(), request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // The program asks nothing before replacing a file: the save itself keeps
    // the old file intact until the new one is complete.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setAcceptMode(request.saveMode ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name goes through, one that is not there too: reading it fails with
    // the program's own message, not with a question of Qt's.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowModality(Qt::ApplicationModal);

    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);

    // A folder that is not there (a remembered folder since removed, a
    // removable disk taken out) leaves the dialog where Qt opens it by
    // default; a relative name would otherwise be taken from the working
    // directory.
    const QFileInfo folder(request.initDir);
    if (!request.initDir.isEmpty() && folder.isAbsolute() && folder.isDir())
        dialog.setDirectory(request.initDir);

    dialog.setDefaultSuffix(request.defaultExt);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);

    // A cancelled dialog answers nothing, also when a name had been proposed.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}
