#pragma once

#include <QString>

// What the program asks of a file dialog. Each dialog takes the values in the
// form it needs them.
struct FileDialogRequest {
    QString title;
    // "description|pattern" pairs separated by "|".
    QString filter;
    QString defaultExt;
    // The name proposed; empty: none.
    QString fileName;
    QString initDir;
    bool saveMode = false;
};

// What became of the accessible library's dialog. Failed is any way the
// library could not be used (not there, a call failing, no path it could
// hand back): the standard dialog then asks instead.
struct FileDialogResult {
    enum class Outcome { Chosen, Cancelled, Failed };

    Outcome outcome = Outcome::Cancelled;
    QString path; // Chosen only

    static FileDialogResult chosen(const QString& path) { return {Outcome::Chosen, path}; }
    static FileDialogResult cancelled() { return {Outcome::Cancelled, QString()}; }
    static FileDialogResult failed() { return {Outcome::Failed, QString()}; }
};
