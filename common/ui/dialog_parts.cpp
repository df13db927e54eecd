#include "common/ui/dialog_parts.h"

#include <QByteArray>
#include <QFile>

namespace common {

std::filesystem::path HostPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString HostText(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

QComboBox* MakeCombo(const QString& name, const QStringList& items, int* target) {
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    combo->addItems(items);
    combo->setCurrentIndex(*target);
    QObject::connect(combo, &QComboBox::currentIndexChanged, [target](int index) {
        if (index >= 0) *target = index;
    });
    return combo;
}

}  // namespace common
