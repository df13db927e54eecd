#pragma once
// Small pieces both converters' dialogs are built from.

#include <QComboBox>
#include <QString>
#include <QStringList>

#include <filesystem>

namespace common {

// A path as the user typed or picked it, in the host's spelling, and back.
std::filesystem::path HostPath(const QString& path);
QString HostText(const std::filesystem::path& path);

// A combo box that writes its index into *target whenever the selection
// changes; named for tests and starting at *target.
QComboBox* MakeCombo(const QString& name, const QStringList& items, int* target);

}  // namespace common
