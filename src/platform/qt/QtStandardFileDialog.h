#pragma once

#include "platform/StandardFileDialog.h"

#include <QStringList>

// The standard dialog as Qt's own widget-based file dialog rather than the
// desktop's, so the screen reader sees ordinary widgets and tests can drive it.
class QtStandardFileDialog : public StandardFileDialog
{
public:
    std::optional<QString> show(const FileDialogRequest& request) override;

    // "description|pattern|description|pattern" as Qt's name filters,
    // "description (pattern)"; a description that already ends with its
    // pattern in brackets is taken as it is.
    static QStringList qtNameFilters(const QString& filter);
};
